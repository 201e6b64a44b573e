// InputFile: one input file read token by token, in bounded memory.
//
// open() looks at the path before opening it, so that nothing but a regular
// file is ever read (a FIFO would block, a device such as /dev/zero would
// never end), and words each refusal to follow the file's name:
//   "missing"                            nothing there (ENOENT)
//   "is not a regular file"              a folder, FIFO, device or socket
//   "Permission denied", "Too many levels of symbolic links", ...
//                                        any other reason, as the system
//                                        words it
// A UTF-8 byte-order mark at the start of the file is skipped.
//
// Tokens are the runs of characters between white space (blanks, tabs, line
// breaks, as isspace sees them in the "C" locale). A token holds at most
// kMaxTokenBytes bytes: a longer one comes back cut, with `cut` set, and the
// rest of it is skipped before the next token, so no token is ever held
// whole. The file is read through one fixed buffer.
//
// quotedToken() renders a token (or any text from outside the program, such
// as a command-line argument) for a message: in double quotes, at most
// kQuotedBytes bytes of it (or as many as asked), every byte outside
// printable ASCII as \xNN, and "..." inside the quotes when it was longer,
// so that no escape sequence or line break reaches the terminal.
#ifndef LINPROB_BASE_INPUT_FILE_H_
#define LINPROB_BASE_INPUT_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "base/status.h"

namespace linprob {

inline constexpr std::size_t kMaxTokenBytes = 1024;
inline constexpr std::size_t kQuotedBytes = 40;
// As much of a path as the system accepts in one.
inline constexpr std::size_t kQuotedPathBytes = 4096;

struct Token {
  std::string text;  // at most kMaxTokenBytes bytes
  bool cut = false;  // the token was longer than text
  std::size_t line = 0;  // the line it starts on, from 1
};

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // The file at `path`, or why it cannot be read (worded as above).
  static Result<InputFile> open(const std::string& path);

  // The next token; false at the end of the file or on a read error (then
  // readError() says why).
  bool next(Token& token);
  // Ok, or "cannot be read: <reason>" after a failed read.
  const Status& readError() const { return readError_; }

 private:
  explicit InputFile(int fd) : fd_(fd) {}
  // The next byte, or -1 at the end or on an error.
  int get();
  bool refill();

  static constexpr std::size_t kBufferBytes = 64 * 1024;
  int fd_ = -1;
  std::string buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  bool skipRest_ = false;  // the last token was cut: skip its remainder
  bool atStart_ = true;    // the byte-order mark is still to be looked for
  std::size_t line_ = 1;   // the line of the next byte
  Status readError_;
};

// The token in double quotes, cut to kQuotedBytes bytes, non-printable bytes
// as \xNN: "\xef\xbb\xbf3", "0123456789012345678901234567890123456789...".
std::string quotedToken(std::string_view text, bool cut = false,
                        std::size_t shownBytes = kQuotedBytes);
inline std::string quotedToken(const Token& token) {
  return quotedToken(token.text, token.cut);
}

}  // namespace linprob

#endif  // LINPROB_BASE_INPUT_FILE_H_
