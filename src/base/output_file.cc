#include "base/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <streambuf>
#include <utility>
#include <vector>

namespace linprob {

// A stream buffer over a file descriptor that remembers the first error.
class OutputFile::Buffer : public std::streambuf {
 public:
  explicit Buffer(int fd) : fd_(fd), space_(kBytes) {
    setp(space_.data(), space_.data() + space_.size());
  }
  ~Buffer() override { closeFile(); }

  // Writes everything buffered; false (and error() set) on a failure.
  bool drain() {
    const char* from = pbase();
    std::size_t left = static_cast<std::size_t>(pptr() - pbase());
    while (left > 0 && error_ == 0) {
      const ssize_t wrote = ::write(fd_, from, left);
      if (wrote < 0) {
        if (errno != EINTR) error_ = errno;
        continue;
      }
      if (wrote == 0) {
        error_ = EIO;
        break;
      }
      from += wrote;
      left -= static_cast<std::size_t>(wrote);
    }
    setp(space_.data(), space_.data() + space_.size());
    return error_ == 0;
  }
  // Closes the descriptor once; false (and error() set) when close fails.
  bool closeFile() {
    if (fd_ < 0) return true;
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && error_ == 0) error_ = errno;
    return error_ == 0;
  }
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  // A flush of the stream only marks a line end; the bytes follow in
  // blocks, and the caller learns of a failure from commit().
  int sync() override { return error_ == 0 ? 0 : -1; }

 private:
  static constexpr std::size_t kBytes = 64 * 1024;
  int fd_;
  std::vector<char> space_;
  int error_ = 0;
};

OutputFile::OutputFile(std::string target) : target_(std::move(target)) {}

OutputFile::~OutputFile() { discard(); }

Status OutputFile::fail(int error) {
  discard();
  return Status::error(std::string("cannot be written: ") +
                       std::strerror(error));
}

void OutputFile::discard() {
  stream_.reset();
  buffer_.reset();
  if (temporaryExists_) {
    ::unlink(temporary().c_str());
    temporaryExists_ = false;
  }
}

Status OutputFile::open() {
  discard();
  const int fd = ::open(temporary().c_str(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Status::error(std::string("cannot be written: ") +
                                   std::strerror(errno));
  temporaryExists_ = true;
  buffer_ = std::make_unique<Buffer>(fd);
  stream_ = std::make_unique<std::ostream>(buffer_.get());
  return Status();
}

std::ostream& OutputFile::stream() { return *stream_; }

Status OutputFile::commit() {
  if (!buffer_) return Status::error("cannot be written: not open");
  buffer_->drain();
  buffer_->closeFile();
  if (buffer_->error() != 0) return fail(buffer_->error());
  // The stream itself may have failed without an error of the file (a
  // value it could not format): the content is then incomplete.
  if (stream_->fail()) return fail(EIO);
  if (std::rename(temporary().c_str(), target_.c_str()) != 0) {
    return fail(errno);
  }
  temporaryExists_ = false;
  stream_.reset();
  buffer_.reset();
  return Status();
}

}  // namespace linprob
