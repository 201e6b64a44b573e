// OutputFile: one result file written under a temporary name in its folder
// ("<target>.tmp") and renamed into place by commit(), so that the target
// holds either what it held before or the complete new content, never a
// part of it.
//
// The content is written through stream(), a std::ostream over the file.
// Flushes of the stream (std::endl) only mark line ends: the bytes go to the
// file in large blocks and at commit(). Every write, the close and the
// rename are checked; a failure is reported as "cannot be written: <the
// system's reason>" (e.g. "No space left on device") and the temporary is
// removed. An OutputFile destroyed without a successful commit() removes
// its temporary, so a run that stops early leaves none behind.
//
// Used by one thread at a time.
#ifndef LINPROB_BASE_OUTPUT_FILE_H_
#define LINPROB_BASE_OUTPUT_FILE_H_

#include <memory>
#include <ostream>
#include <string>

#include "base/status.h"

namespace linprob {

class OutputFile {
 public:
  explicit OutputFile(std::string target);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates (or truncates) the temporary. Ok, or "cannot be written: ...".
  Status open();
  // The stream to write the content to; valid after a successful open().
  std::ostream& stream();
  // Writes what is buffered, closes the temporary and renames it to the
  // target. Ok, or "cannot be written: ..." with the temporary removed.
  Status commit();

  const std::string& target() const { return target_; }
  std::string temporary() const { return target_ + ".tmp"; }

 private:
  class Buffer;
  Status fail(int error);
  void discard();

  std::string target_;
  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
  bool temporaryExists_ = false;
};

}  // namespace linprob

#endif  // LINPROB_BASE_OUTPUT_FILE_H_
