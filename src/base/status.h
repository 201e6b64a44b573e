// Status and Result<T>: how an operation that can fail on its input says so.
//
// A Status is either ok or carries one message that names the problem, worded
// to follow the name of the thing that failed ("only 3 of the 4 numbers
// needed" follows "Matrix1/Matice.txt: "), and a code that callers branch on
// (never on the message). A Result<T> holds either a value
// or the Status of its failure. Both are [[nodiscard]]: a failure cannot be
// dropped by accident. Only the driver turns them into lines on standard
// error and an exit status.
//
// Faults that cannot be foreseen from the input (an error inside a worker
// thread, a library refusing a value) travel as exceptions instead and are
// caught once, at the top of the run.
#ifndef LINPROB_BASE_STATUS_H_
#define LINPROB_BASE_STATUS_H_

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace linprob {

enum class StatusCode {
  kOk,
  kMissing,  // nothing there to read (no such file)
  kInvalid,  // there, but refused: unreadable, malformed, out of range ...
};

class [[nodiscard]] Status {
 public:
  Status() = default;  // ok
  static Status error(std::string message) {
    return error(StatusCode::kInvalid, std::move(message));
  }
  static Status error(StatusCode code, std::string message) {
    Status status;
    status.code_ = code;
    status.message_ = std::move(message);
    return status;
  }

  bool ok() const { return !message_.has_value(); }
  StatusCode code() const { return code_; }
  // The problem; empty for an ok status.
  const std::string& message() const {
    static const std::string kNone;
    return message_ ? *message_ : kNone;
  }
  // The same problem with `prefix` in front, e.g. the file's name and ": ".
  Status prefixed(const std::string& prefix) const {
    return ok() ? Status() : error(code_, prefix + *message_);
  }

 private:
  StatusCode code_ = StatusCode::kOk;
  std::optional<std::string> message_;
};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit on purpose
  Result(Status status) : status_(std::move(status)) {  // NOLINT
    assert(!status_.ok());
  }

  bool ok() const { return status_.ok(); }
  const Status& status() const { return status_; }
  const T& value() const& {
    assert(ok());
    return *value_;
  }
  T& value() & {
    assert(ok());
    return *value_;
  }
  T&& value() && {
    assert(ok());
    return std::move(*value_);
  }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace linprob

#endif  // LINPROB_BASE_STATUS_H_
