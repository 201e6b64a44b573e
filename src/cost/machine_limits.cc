#include "cost/machine_limits.h"

#include <unistd.h>

#include <cmath>
#include <exception>
#include <fstream>
#include <string>

namespace linprob {
namespace {

double readLimit(const char* path) {
  std::ifstream file(path);
  std::string text;
  if (!(file >> text) || text == "max") return 0.0;
  try {
    return std::stod(text);
  } catch (const std::exception&) {
    return 0.0;
  }
}

}  // namespace

FootprintLimits machineLimits() {
  FootprintLimits limits;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGE_SIZE);
  double memory = pages > 0 && pageSize > 0
                      ? static_cast<double>(pages) * static_cast<double>(pageSize)
                      : 0.0;
  const double group = readLimit("/sys/fs/cgroup/memory.max");
  if (group > 0.0 && (memory == 0.0 || group < memory)) memory = group;
  // Unknown: no limit from memory.
  limits.memoryBytes = memory > 0.0 ? memory / 2.0 : HUGE_VAL;
  return limits;
}

}  // namespace linprob
