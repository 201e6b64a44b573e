// OutputBuffer: the stream buffer under everything a run writes out, a
// result file (base/output_file.h) or a document built in memory first
// (TextOutput, below). Bytes gather in a block of kBlockBytes and go on to
// their destination a block at a time.
//
// A stop of the run ends the writing: before each block the stop token is
// looked at, and once a stop is requested the buffer fails with ECANCELED.
// The stream over it then goes bad and every later insertion returns at
// once, so a writer of any size ends within a block's worth of formatting
// of a stop; a writer may also look at its stream (`if (!out) return;`) to
// skip work whose output would be dropped. The first error is kept: the
// errno of a failed write, or ECANCELED.
//
// Flushes of the stream (std::endl) only mark line ends: the bytes go on in
// blocks, and the owner learns of a failure from error() after drain(). A
// flush does look at the stop token, though: a writer with long work
// between its writes asks `if (!out.flush())` to learn of a stop.
//
// Used by one thread at a time.
#ifndef LINPROB_BASE_OUTPUT_BUFFER_H_
#define LINPROB_BASE_OUTPUT_BUFFER_H_

#include <cstddef>
#include <ostream>
#include <stop_token>
#include <streambuf>
#include <string>
#include <vector>

namespace linprob {

class OutputBuffer : public std::streambuf {
 public:
  static constexpr std::size_t kBlockBytes = 64 * 1024;

  explicit OutputBuffer(std::stop_token stop);
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  // Passes on what is buffered; false (and error() set) on a failure or
  // once a stop is requested.
  bool drain();
  int error() const { return error_; }

 protected:
  // Passes `size` bytes on to the destination: 0, or the errno of the
  // failure.
  virtual int emit(const char* data, std::size_t size) = 0;
  // Keeps `error` unless an error is kept already.
  void noteError(int error);

  int_type overflow(int_type c) override;
  int sync() override;

 private:
  std::stop_token stop_;
  std::vector<char> space_;
  int error_ = 0;
};

// Text built in memory, for a document that several files share, written
// through an OutputBuffer so that a stop ends it like any file.
class TextOutput {
 public:
  explicit TextOutput(std::stop_token stop = {});

  std::ostream& stream() { return stream_; }
  // The text written; whole when stream() is still good afterwards.
  std::string take();

 private:
  class Buffer : public OutputBuffer {
   public:
    using OutputBuffer::OutputBuffer;
    std::string text;

   protected:
    int emit(const char* data, std::size_t size) override;
  };
  Buffer buffer_;
  std::ostream stream_;
};

}  // namespace linprob

#endif  // LINPROB_BASE_OUTPUT_BUFFER_H_
