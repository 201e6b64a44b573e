#include "base/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>


namespace linprob {
namespace {

// White space as isspace sees it in the "C" locale, the separators of
// formatted stream extraction.
bool isSpace(int byte) {
  return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' ||
         byte == '\f' || byte == '\r';
}

Status openProblem(int error) {
  if (error == ENOENT) return Status::error(StatusCode::kMissing, "missing");
  return Status::error(std::strerror(error));
}

}  // namespace

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

InputFile::InputFile(InputFile&& other) noexcept { *this = std::move(other); }

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    buffer_ = std::move(other.buffer_);
    position_ = other.position_;
    end_ = other.end_;
    skipRest_ = other.skipRest_;
    atStart_ = other.atStart_;
    line_ = other.line_;
    readError_ = other.readError_;
  }
  return *this;
}

Result<InputFile> InputFile::open(const std::string& path) {
  // Looked at first, so that a FIFO is never opened (its open would wait for
  // a writer).
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return openProblem(errno);
  if (!S_ISREG(info.st_mode)) return Status::error("is not a regular file");
  // Opened without blocking all the same: the path may have been replaced
  // since it was looked at. What was opened is what counts.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return openProblem(errno);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return Status::error("is not a regular file");
  }
  InputFile file(fd);
  file.buffer_.resize(kBufferBytes);
  return file;
}

bool InputFile::refill() {
  if (!readError_.ok() || fd_ < 0) return false;
  for (;;) {
    const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
    if (got > 0) {
      position_ = 0;
      end_ = static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) return false;
    if (errno == EINTR) continue;
    readError_ = Status::error(std::string("cannot be read: ") +
                               std::strerror(errno));
    return false;
  }
}

int InputFile::get() {
  if (position_ == end_ && !refill()) return -1;
  return static_cast<unsigned char>(buffer_[position_++]);
}

bool InputFile::next(Token& token) {
  token.text.clear();
  token.cut = false;
  if (atStart_) {
    atStart_ = false;
    // A UTF-8 byte-order mark, as many editors write one, is not content.
    static constexpr char kMark[] = "\xEF\xBB\xBF";
    if (position_ == end_) refill();
    if (end_ - position_ >= 3 &&
        std::memcmp(buffer_.data() + position_, kMark, 3) == 0) {
      position_ += 3;
    }
  }
  int byte = get();
  if (skipRest_) {
    while (byte >= 0 && !isSpace(byte)) byte = get();
    skipRest_ = false;
  }
  while (byte >= 0 && isSpace(byte)) {
    if (byte == '\n') ++line_;
    byte = get();
  }
  if (byte < 0) return false;
  token.line = line_;
  while (byte >= 0 && !isSpace(byte)) {
    if (token.text.size() == kMaxTokenBytes) {
      // Cut here; the caller gets what fits and the rest is skipped later.
      token.cut = true;
      skipRest_ = true;
      return true;
    }
    token.text.push_back(static_cast<char>(byte));
    // The rest of the token that the buffer holds, at once.
    const std::size_t room = kMaxTokenBytes - token.text.size();
    std::size_t last = position_;
    while (last < end_ && last - position_ < room &&
           !isSpace(static_cast<unsigned char>(buffer_[last]))) {
      ++last;
    }
    token.text.append(buffer_, position_, last - position_);
    position_ = last;
    byte = get();
  }
  // The white space that ended the token is not looked at again.
  if (byte == '\n') ++line_;
  return true;
}

std::string quotedToken(std::string_view text, bool cut,
                        std::size_t shownBytes) {
  std::string out = "\"";
  const std::size_t shown = text.size() < shownBytes ? text.size() : shownBytes;
  for (std::size_t k = 0; k < shown; ++k) {
    const auto byte = static_cast<unsigned char>(text[k]);
    if (byte >= 0x20 && byte < 0x7F) {
      out.push_back(static_cast<char>(byte));
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    }
  }
  if (cut || text.size() > shownBytes) out += "...";
  out.push_back('"');
  return out;
}

}  // namespace linprob
