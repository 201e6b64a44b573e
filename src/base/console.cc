#include "base/console.h"

#include <cstdio>
#include <string>

namespace linprob {

void printLine(std::string_view line) {
  std::string text;
  text.reserve(line.size() + 1);
  text.append(line);
  text.push_back('\n');
  // One fwrite per line: the C stream locks itself for the whole call.
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace linprob
