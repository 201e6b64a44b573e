#include "base/number_file.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <sstream>

#include "base/input_file.h"

namespace linprob {

std::string parseNumber(const Token& token, double& value) {
  if (!token.cut) {
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

}  // namespace linprob
