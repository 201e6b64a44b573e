#include "base/number_file.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <sstream>

namespace linprob {
namespace {

// Parses one whole token the way formatted extraction of a double reads it.
// Returns an empty string on success, else the problem.
std::string parseToken(const std::string& token, double& value) {
  std::istringstream in(token);
  in.imbue(std::locale::classic());
  in >> value;
  if (!in.fail() && in.peek() == std::char_traits<char>::eof()) {
    return "";
  }
  // Extraction refuses a number beyond the range of double; say so plainly
  // rather than calling it "not a number".
  errno = 0;
  char* end = nullptr;
  const double wide = std::strtod(token.c_str(), &end);
  if (end != nullptr && *end == '\0' && errno == ERANGE && std::isinf(wide)) {
    return "\"" + token + "\" is out of the range of double";
  }
  return "\"" + token + "\" is not a number";
}

}  // namespace

Result<std::vector<double>> readNumbers(const std::string& path,
                                        std::size_t count) {
  std::ifstream in(path);
  if (!in.is_open()) return Status::error("missing");
  std::vector<double> values;
  std::string token;
  while (values.size() < count && in >> token) {
    double value = 0.0;
    std::string problem = parseToken(token, value);
    if (!problem.empty()) return Status::error(std::move(problem));
    values.push_back(value);
  }
  if (values.size() < count) {
    std::ostringstream message;
    message << "only " << values.size() << " of the " << count
            << " numbers needed";
    return Status::error(message.str());
  }
  return values;
}

}  // namespace linprob
