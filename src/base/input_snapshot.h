// InputSnapshot: the input files one process read, as far as it read them,
// so that the other processes of a run read the same bytes without the
// files (base/process_group.h: only rank 0 reads the working folder).
//
// While a snapshot records (InputRecording), every InputFile::open notes the
// file's outcome: why it could not be opened, or the bytes read from it (for
// a file opened several times, the longest part any open read). While one is
// served (InputServing), InputFile::open reads from it alone: a path it does
// not hold is "missing", one it holds opens as it did for the recording
// process and ends where its recorded bytes end. A process that reads the
// same files in the same way as the recording one thus reads the same
// tokens.
//
// toBytes and fromBytes carry a snapshot between processes; fromBytes throws
// std::runtime_error "input snapshot: cut short" on bytes toBytes did not
// make.
//
// Recording and serving are process-wide and not thread-safe: a run records
// and serves while one thread reads its inputs (the start-of-run check and
// the loading of each system's files happen on the main thread). At most one
// snapshot records and one is served at a time.
#ifndef LINPROB_BASE_INPUT_SNAPSHOT_H_
#define LINPROB_BASE_INPUT_SNAPSHOT_H_

#include <map>
#include <string>

namespace linprob {

struct InputSnapshot {
  struct Entry {
    std::string problem;  // empty: opened, and `bytes` were read
    std::string bytes;
  };
  std::map<std::string, Entry> files;  // by the path as opened

  std::string toBytes() const;
  static InputSnapshot fromBytes(const std::string& bytes);
};

// Records into `snapshot` (when not nullptr) while it lives.
class InputRecording {
 public:
  explicit InputRecording(InputSnapshot* snapshot);
  ~InputRecording();
  InputRecording(const InputRecording&) = delete;
  InputRecording& operator=(const InputRecording&) = delete;
};

// Serves `snapshot` (when not nullptr) while it lives; it must outlive this.
class InputServing {
 public:
  explicit InputServing(const InputSnapshot* snapshot);
  ~InputServing();
  InputServing(const InputServing&) = delete;
  InputServing& operator=(const InputServing&) = delete;
};

}  // namespace linprob

#endif  // LINPROB_BASE_INPUT_SNAPSHOT_H_
