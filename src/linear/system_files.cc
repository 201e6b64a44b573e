#include "linear/system_files.h"

#include <cstddef>
#include <string>

#include "linear/number_file.h"

namespace linprob {

std::string loadMatrix(const std::string& path, LinearSystem& system) {
  const unsigned n = system.size;
  const NumberFile file = readNumbers(path, std::size_t{n} * n);
  if (!file.ok()) return file.problem;
  // The file holds the matrix row by row; the storage is by columns.
  std::size_t next = 0;
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      system.matrix[j][i] = file.values[next];
      ++next;
    }
  }
  return "";
}

std::string loadRealRhs(const std::string& path, unsigned n,
                        std::vector<Interval>& rhs) {
  const NumberFile file = readNumbers(path, n);
  if (!file.ok()) return file.problem;
  rhs.reserve(rhs.size() + n);
  for (const double b : file.values) rhs.push_back(Interval(b));
  return "";
}

std::string loadIntervalRhs(const std::string& path, unsigned n,
                            std::vector<Interval>& rhs) {
  const NumberFile file = readNumbers(path, std::size_t{n} * 2);
  if (!file.ok()) return file.problem;
  // Every pair is checked before any interval is built: the interval type
  // would throw on a reversed pair, and `rhs` must stay untouched on failure.
  for (unsigned k = 0; k < n; ++k) {
    if (file.values[2 * k] > file.values[2 * k + 1]) {
      return "IntRHS pair " + std::to_string(k) +
             " has its lower bound above its upper bound "
             "(boost::interval: empty interval created)";
    }
  }
  rhs.reserve(rhs.size() + n);
  for (unsigned k = 0; k < n; ++k) {
    rhs.push_back(Interval(file.values[2 * k], file.values[2 * k + 1]));
  }
  return "";
}

}  // namespace linprob
