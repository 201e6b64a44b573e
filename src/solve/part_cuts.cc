#include "solve/part_cuts.h"

#include <cmath>
#include <limits>

#include "linear/vector_clones.h"

namespace linprob {
namespace {

constexpr std::size_t kCellsPerSum = 4;

// PartCuts::startsNotBelow with the members spelt out, so that the clones
// see plain arrays.
LINPROB_VECTOR_CLONES
void startsOf(const double* a, std::size_t count, double t, double margin,
              double lowest, double scale, double lastCell,
              const std::uint32_t* cellStart, const double* values,
              std::uint32_t* starts) {
  for (std::size_t j = 0; j < count; ++j) {
    const double rest = t - a[j];
    const double cut = rest - margin;
    // As cellOf: the offset, then the product, clamped.
    const double offset = cut - lowest;
    double position = offset * scale;
    position = position > 0.0 ? position : 0.0;
    position = position < lastCell ? position : lastCell;
    std::uint32_t at = cellStart[static_cast<std::uint32_t>(position)];
    at += values[at] < cut ? 1u : 0u;
    at += values[at] < cut ? 1u : 0u;
    starts[j] = at;
  }
}

}  // namespace

PartCuts::PartCuts(const std::vector<double>& sorted)
    : values_(sorted), lowest_(sorted.front()) {
  const std::size_t size = sorted.size();
  values_.resize(size + 2, std::numeric_limits<double>::infinity());
  const double range = sorted.back() - lowest_;
  lastCell_ = static_cast<double>(kCellsPerSum * size);
  const double scale = lastCell_ / range;
  scale_ = range > 0.0 && std::isfinite(scale) ? scale : 0.0;
  cellStart_.assign(kCellsPerSum * size + 1, 0);
  std::size_t at = 0;
  for (std::size_t cell = 0; cell < cellStart_.size(); ++cell) {
    while (at < size && cellOf(sorted[at]) < cell) ++at;
    cellStart_[cell] = static_cast<std::uint32_t>(at);
  }
}

void PartCuts::startsNotBelow(const double* a, std::size_t count, double t,
                              double margin, std::uint32_t* starts) const {
  startsOf(a, count, t, margin, lowest_, scale_, lastCell_, cellStart_.data(),
           values_.data(), starts);
}

}  // namespace linprob
