// OutputFile: one result file, written under a temporary name of its own in
// the target's folder and renamed into place by commit(), so that the
// target holds either what it held before or the complete new content,
// never a part of it. Every file a run writes (summaries, the CSV export,
// each file of Report/) goes through this one path.
//
// The temporary is "<target>.<six letters or digits>.tmp", a name drawn at
// random and created with O_CREAT|O_EXCL|O_NOFOLLOW: the open fails rather
// than reuse anything already at that name (a file, a symbolic or hard link,
// a FIFO, a device), and another name is drawn. So nothing that exists is
// ever opened for writing, and no open can wait on a FIFO; the only change
// to an existing entry is the rename, which replaces the target's name (a
// link at the target is replaced, never followed). A temporary always ends
// in ".tmp", never in the target's extension, so a leftover (of a process
// killed outright) cannot be taken for output, and a later run never looks
// at it.
//
// Why not an unnamed O_TMPFILE linked into place: linkat() cannot replace
// an existing target, so a named step is needed anyway; O_TMPFILE is missing
// on some file systems (a second path to keep working); and linking by
// descriptor needs /proc or a privilege. One portable path is kept.
//
// The content is written through stream(), over an OutputBuffer
// (base/output_buffer.h): a stop of the run given to open() makes the
// stream fail within one block, and commit() then removes the temporary.
// Every write, the close and the rename are checked; a failure is reported
// as "cannot be written: <the system's reason>" (e.g. "No space left on
// device"; "Operation canceled" after a stop) and the temporary is removed.
// An OutputFile destroyed without a successful commit() removes its
// temporary, so a run that stops early leaves none behind.
//
// Used by one thread at a time.
#ifndef LINPROB_BASE_OUTPUT_FILE_H_
#define LINPROB_BASE_OUTPUT_FILE_H_

#include <functional>
#include <memory>
#include <ostream>
#include <stop_token>
#include <string>

#include "base/status.h"

namespace linprob {

class OutputFile {
 public:
  explicit OutputFile(std::string target);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates a new temporary. Ok, or "cannot be written: ...".
  Status open(const std::stop_token& stop = {});
  // The stream to write the content to; valid after a successful open().
  std::ostream& stream();
  // Writes what is buffered, closes the temporary and renames it to the
  // target. Ok, or "cannot be written: ..." with the temporary removed.
  Status commit();

  const std::string& target() const { return target_; }
  // The temporary's path while one exists; empty otherwise.
  const std::string& temporary() const { return temporary_; }

 private:
  class Buffer;
  Status fail(int error);
  void discard();

  std::string target_;
  std::string temporary_;
  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
};

// The whole of `target` through an OutputFile: opened, filled by `write`,
// committed. Ok, or the failure ("cannot be written: ...", "Operation
// canceled" once `stop` was requested).
Status writeOutputFile(const std::string& target,
                       const std::function<void(std::ostream&)>& write,
                       const std::stop_token& stop = {});

// A folder for result files (a path ending with "/" or not), created with
// its parents when missing; a link to a folder is followed. Ok, "is a link
// that leads nowhere" for a link whose target is missing (nothing is made
// through it), or "cannot be created: <the system's reason>" (e.g. "Not a
// directory" when a file has the name, "Permission denied", "Too many
// levels of symbolic links").
Status makeOutputFolder(const std::string& folder);

}  // namespace linprob

#endif  // LINPROB_BASE_OUTPUT_FILE_H_
