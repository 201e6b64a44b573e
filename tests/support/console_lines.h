// Test helpers: the lines a test captured from standard output.
#ifndef LINPROB_TESTS_SUPPORT_CONSOLE_LINES_H_
#define LINPROB_TESTS_SUPPORT_CONSOLE_LINES_H_

#include <algorithm>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

namespace linprob::testing_support {

inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    lines.push_back(line);
  }
  return lines;
}

inline std::size_t countLines(const std::vector<std::string>& lines,
                              const std::string& wanted) {
  return static_cast<std::size_t>(
      std::count(lines.begin(), lines.end(), wanted));
}

// The number after `prefix` on every line that starts with it.
inline std::vector<std::size_t> numbersAfter(
    const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::size_t> numbers;
  for (const std::string& line : lines) {
    if (line.rfind(prefix, 0) == 0) {
      numbers.push_back(std::stoul(line.substr(prefix.size())));
    }
  }
  return numbers;
}

}  // namespace linprob::testing_support

#endif  // LINPROB_TESTS_SUPPORT_CONSOLE_LINES_H_
