#include "base/number_file.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <optional>
#include <sstream>
#include <system_error>

#include "base/input_file.h"

namespace linprob {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a token in the plain form that stream extraction reads
// whole, [+-] digits [. digits] [(e|E) [+-] digits] with a digit before or
// after the point, whose decimal exponent keeps it far inside the normal
// range of double: then extraction and from_chars both round it correctly
// to the same double, and neither can fail. Nothing for any other token,
// which the stream reads as before (a matrix of a million numbers is read
// in a fraction of a second this way, against seconds through a stream).
std::optional<double> plainNumber(const std::string& text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  if (p != end && (*p == '+' || *p == '-')) ++p;
  const char* const body = p;  // from_chars takes no sign
  long exponent = 0;           // about the decimal exponent of the value
  bool anyDigit = false;
  bool nonZero = false;
  for (; p != end && isDigit(*p); ++p) {
    anyDigit = true;
    if (nonZero || *p != '0') {
      nonZero = true;
      ++exponent;
    }
  }
  if (p != end && *p == '.') {
    for (++p; p != end && isDigit(*p); ++p) {
      anyDigit = true;
      if (!nonZero && *p == '0') {
        --exponent;
      } else {
        nonZero = true;
      }
    }
  }
  if (!anyDigit) return std::nullopt;
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    const char* const digits = p;
    long written = 0;
    for (; p != end && isDigit(*p) && p - digits < 5; ++p) {
      written = written * 10 + (*p - '0');
    }
    if (p == digits) return std::nullopt;
    exponent += negative ? -written : written;
  }
  if (p != end) return std::nullopt;  // more digits or another character
  // Normal doubles span about 1e-308 ... 1.8e308.
  if (nonZero && (exponent < -290 || exponent > 290)) return std::nullopt;
  double value = 0.0;
  const auto [stop, error] = std::from_chars(body, end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return text[0] == '-' ? -value : value;
}

}  // namespace

std::string parseNumber(const Token& token, double& value) {
  if (!token.cut) {
    if (const std::optional<double> plain = plainNumber(token.text)) {
      value = *plain;
      return "";
    }
    std::istringstream in(token.text);
    in.imbue(std::locale::classic());
    in >> value;
    const bool whole =
        !in.fail() && in.peek() == std::char_traits<char>::eof();
    // Extraction refuses a number beyond the range of double but takes one
    // too small for it as 0, and a subnormal one as the subnormal double
    // nearest to it; strtod says ERANGE for all three. The first two are
    // refused, each with its own reason; a subnormal is a finite double
    // like any other, and is taken.
    errno = 0;
    char* end = nullptr;
    const double read = std::strtod(token.text.c_str(), &end);
    const bool outOfRange =
        errno == ERANGE && end != nullptr && *end == '\0';
    if (outOfRange && (whole || in.fail())) {
      if (read == 0.0) {
        return quotedToken(token) +
               " is too close to 0 for double (it would be read as 0)";
      }
      if (std::isinf(read)) {
        return quotedToken(token) + " is out of the range of double";
      }
    }
    if (whole) return "";
  }
  return quotedToken(token) + " is not a number";
}

Result<std::vector<double>> readNumbers(const std::string& path,
                                        std::size_t count,
                                        const std::stop_token& stop) {
  auto opened = InputFile::open(path);
  if (!opened.ok()) return opened.status();
  InputFile& in = opened.value();
  std::vector<double> values;
  Token token;
  while (values.size() < count && in.next(token)) {
    // Some thousands of numbers take well under a millisecond.
    constexpr std::size_t kNumbersBetweenLooks = 4096;
    if (values.size() % kNumbersBetweenLooks == 0 && stop.stop_requested()) {
      return Status::error("reading stopped");
    }
    double value = 0.0;
    std::string problem = parseNumber(token, value);
    if (!problem.empty()) return Status::error(std::move(problem));
    values.push_back(value);
  }
  if (!in.readError().ok()) return in.readError();
  if (values.size() < count) {
    std::ostringstream message;
    message << "only " << values.size() << " of the " << count
            << " numbers needed";
    return Status::error(message.str());
  }
  return values;
}

namespace {

std::string numbersWord(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " number" : " numbers");
}

}  // namespace

Result<NumberRows> readRows(const std::string& path, std::size_t rows,
                            unsigned leastWidth, const std::stop_token& stop) {
  auto opened = InputFile::open(path);
  if (!opened.ok()) return opened.status();
  InputFile& in = opened.value();
  NumberRows read;
  std::size_t row = 0;       // the row being read
  std::size_t inRow = 0;     // its numbers so far
  std::size_t rowLine = 0;   // its line
  // The row just ended, held against the first.
  const auto ended = [&]() -> std::string {
    std::ostringstream problem;
    problem << "row " << row << " (line " << rowLine << ") holds "
            << numbersWord(inRow);
    if (row == 0) {
      if (inRow >= leastWidth) {
        read.width = static_cast<unsigned>(inRow);
        return "";
      }
      problem << ", not at least " << leastWidth;
    } else if (inRow != read.width) {
      problem << ", not " << read.width << " as row 0 does";
    } else {
      return "";
    }
    return problem.str();
  };
  Token token;
  std::size_t tokens = 0;
  while (in.next(token)) {
    constexpr std::size_t kNumbersBetweenLooks = 4096;
    if (++tokens % kNumbersBetweenLooks == 0 && stop.stop_requested()) {
      return Status::error("reading stopped");
    }
    if (inRow > 0 && token.line != rowLine) {
      if (std::string problem = ended(); !problem.empty()) {
        return Status::error(std::move(problem));
      }
      ++row;
      inRow = 0;
    }
    if (row == rows) break;  // what follows the rows is not read
    double value = 0.0;
    std::string problem = parseNumber(token, value);
    if (!problem.empty()) return Status::error(std::move(problem));
    if (inRow == 0) rowLine = token.line;
    // A row that is too long is refused when it ends; until then its
    // numbers are kept only while it may still be as long as the first.
    if (row == 0 || inRow < read.width) read.numbers.push_back(value);
    ++inRow;
  }
  if (!in.readError().ok()) return in.readError();
  if (inRow > 0 && row < rows) {
    if (std::string problem = ended(); !problem.empty()) {
      return Status::error(std::move(problem));
    }
    ++row;
  }
  if (row < rows) {
    std::ostringstream message;
    message << "only " << row << (row == 1 ? " line" : " lines")
            << " of numbers, not the " << rows << " needed";
    return Status::error(message.str());
  }
  return read;
}

}  // namespace linprob
