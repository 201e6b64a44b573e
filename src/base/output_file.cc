#include "base/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/output_buffer.h"

namespace linprob {
namespace {

// Names drawn before giving up: each clash means a file of a random name is
// already there, so more than a few are a sign of something else.
constexpr int kNameAttempts = 100;

std::string randomSuffix() {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kLetters[::arc4random_uniform(sizeof kLetters - 1)];
  return suffix;
}

Status cannotBeWritten(int error) {
  return Status::error(std::string("cannot be written: ") +
                       std::strerror(error));
}

}  // namespace

// The OutputBuffer of a file descriptor, which it closes.
class OutputFile::Buffer : public OutputBuffer {
 public:
  Buffer(int fd, std::stop_token stop) : OutputBuffer(std::move(stop)), fd_(fd) {}
  ~Buffer() override { closeFile(); }

  // Closes the descriptor once; false (and error() set) when close fails.
  bool closeFile() {
    if (fd_ < 0) return error() == 0;
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) noteError(errno);
    return error() == 0;
  }

 protected:
  int emit(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t wrote = ::write(fd_, data, size);
      if (wrote < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      if (wrote == 0) return EIO;
      data += wrote;
      size -= static_cast<std::size_t>(wrote);
    }
    return 0;
  }

 private:
  int fd_;
};

OutputFile::OutputFile(std::string target) : target_(std::move(target)) {}

OutputFile::~OutputFile() { discard(); }

Status OutputFile::fail(int error) {
  discard();
  return cannotBeWritten(error);
}

void OutputFile::discard() {
  stream_.reset();
  buffer_.reset();
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

Status OutputFile::open(const std::stop_token& stop) {
  discard();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = target_ + "." + randomSuffix() + ".tmp";
    const int fd =
        ::open(name.c_str(),
               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return cannotBeWritten(errno);
    }
    temporary_ = std::move(name);
    buffer_ = std::make_unique<Buffer>(fd, stop);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
    return Status();
  }
  return cannotBeWritten(EEXIST);
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
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return fail(errno);
  }
  temporary_.clear();
  stream_.reset();
  buffer_.reset();
  return Status();
}

Status writeOutputFile(const std::string& target,
                       const std::function<void(std::ostream&)>& write,
                       const std::stop_token& stop) {
  OutputFile file(target);
  if (Status opened = file.open(stop); !opened.ok()) return opened;
  write(file.stream());
  return file.commit();
}

Status makeOutputFolder(const std::string& folder) {
  std::string path = folder;
  // Without the trailing "/" a file in the way is reported as such (ENOTDIR)
  // rather than as EEXIST.
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::error_code error;
  std::filesystem::create_directories(path, error);
  // The return value is not trusted: what counts is whether the folder is
  // there now.
  std::error_code statusError;
  if (std::filesystem::is_directory(path, statusError)) return Status();
  // A link is followed, never replaced: one whose target is missing is said
  // so, rather than as the "File exists" of making a folder at its name.
  std::error_code linkError;
  if (std::filesystem::is_symlink(
          std::filesystem::symlink_status(path, linkError))) {
    if (statusError == std::errc::no_such_file_or_directory) {
      return Status::error("is a link that leads nowhere");
    }
    if (statusError) error = statusError;
  }
  if (!error) error = std::make_error_code(std::errc::not_a_directory);
  return Status::error("cannot be created: " + error.message());
}

}  // namespace linprob
