#include "linear/system_files.h"

#include <charconv>
#include <cstddef>
#include <string>

#include "base/number_file.h"

namespace linprob {

Status loadMatrix(const std::string& path, LinearSystem& system,
                  const std::stop_token& stop) {
  const unsigned n = system.size();
  const auto file = readNumbers(path, std::size_t{n} * n, stop);
  if (!file.ok()) return file.status();
  setMatrixRows(file.value(), system);
  return Status();
}

void setMatrixRows(const std::vector<double>& rowMajor, LinearSystem& system) {
  const unsigned n = system.size();
  // The file holds the matrix row by row; the storage is by columns.
  std::size_t next = 0;
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      system.setCoefficient(i, j, rowMajor[next]);
      ++next;
    }
  }
}

Status loadRealRhs(const std::string& path, unsigned n,
                   std::vector<Interval>& rhs) {
  const auto file = readNumbers(path, n);
  if (!file.ok()) return file.status();
  rhs.reserve(rhs.size() + n);
  for (const double b : file.value()) rhs.push_back(Interval(b));
  return Status();
}

Status loadIntervalRhs(const std::string& path, unsigned n,
                       std::vector<Interval>& rhs) {
  const auto file = readNumbers(path, std::size_t{n} * 2);
  if (!file.ok()) return file.status();
  const std::vector<double>& values = file.value();
  // Every pair is checked before any interval is built: the interval type
  // would throw on a reversed pair, and `rhs` must stay untouched on failure.
  if (const Status pairs = checkIntervalPairs(values); !pairs.ok()) {
    return pairs;
  }
  rhs.reserve(rhs.size() + n);
  for (unsigned k = 0; k < n; ++k) {
    rhs.push_back(Interval(values[2 * k], values[2 * k + 1]));
  }
  return Status();
}

namespace {

// The shortest text that reads back as `value`, so that two ends that
// differ never look alike.
std::string endText(double value) {
  char text[32];
  return std::string(text,
                     std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

Status checkIntervalPairs(const std::vector<double>& bounds) {
  for (std::size_t k = 0; k + 1 < bounds.size(); k += 2) {
    if (bounds[k] > bounds[k + 1]) {
      return Status::error("pair " + std::to_string(k / 2) +
                           " has its lower end above its upper end (" +
                           endText(bounds[k]) + " > " +
                           endText(bounds[k + 1]) + ")");
    }
  }
  return Status();
}

}  // namespace linprob
