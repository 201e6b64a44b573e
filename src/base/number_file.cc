#include "base/number_file.h"

#include <cerrno>
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
    // too small for it as 0 (or as a denormal without its digits); strtod
    // says ERANGE for both, and both are refused alike.
    errno = 0;
    char* end = nullptr;
    std::strtod(token.text.c_str(), &end);
    const bool outOfRange =
        errno == ERANGE && end != nullptr && *end == '\0';
    if (outOfRange && (whole || in.fail())) {
      return quotedToken(token) + " is out of the range of double";
    }
    if (whole) return "";
  }
  return quotedToken(token) + " is not a number";
}

Result<std::vector<double>> readNumbers(const std::string& path,
                                        std::size_t count) {
  auto opened = InputFile::open(path);
  if (!opened.ok()) return opened.status();
  InputFile& in = opened.value();
  std::vector<double> values;
  Token token;
  while (values.size() < count && in.next(token)) {
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
