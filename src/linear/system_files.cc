#include "linear/system_files.h"

#include <charconv>
#include <cstddef>
#include <string>


namespace linprob {

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

namespace {

// The shortest text that reads back as `value`, so that two ends that
// differ never look alike.
std::string endText(double value) {
  char text[32];
  return std::string(text,
                     std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

Status checkIntervalMatrixPairs(const std::vector<double>& bounds,
                                unsigned n) {
  for (std::size_t k = 0; k + 1 < bounds.size() && n > 0; k += 2) {
    if (bounds[k] > bounds[k + 1]) {
      const std::size_t pair = k / 2;
      return Status::error("row " + std::to_string(pair / n) + ", column " +
                           std::to_string(pair % n) +
                           " has its lower end above its upper end (" +
                           endText(bounds[k]) + " > " +
                           endText(bounds[k + 1]) + ")");
    }
  }
  return Status();
}

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
