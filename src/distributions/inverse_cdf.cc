#include "distributions/inverse_cdf.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "distributions/entry_quantiles.h"

namespace linprob {

InverseCdf::InverseCdf(const FamilyInfo& family,
                       const EntryParameters& entries)
    : entries_(entries.size()),
      quantile_(family.quantile) {
  if (family.draw == SampleDraw::kQuantile) quantileEntries_ = entries;
  for (std::size_t e = 0; e < entries_.size(); ++e) {
    Entry& entry = entries_[e];
    if (family.draw == SampleDraw::kQuantile) {
      entry.shape = Shape::kQuantile;
      continue;
    }
    const EntryNumbers numbers = entries.entry(e);
    const double p = numbers[0];
    const double q = numbers[1];
    entry.first = p;
    switch (family.draw) {
      case SampleDraw::kNormal:
        if (q != 0.0) {
          entry.shape = Shape::kNormal;
          entry.second = std::sqrt(q);
        }
        break;
      case SampleDraw::kTriangular:
      case SampleDraw::kUniform:
        if (p != q) {
          entry.shape = family.draw == SampleDraw::kTriangular
                            ? Shape::kTriangular
                            : Shape::kUniform;
          entry.second = q;
        }
        break;
      case SampleDraw::kQuantile:
        break;
    }
  }
}

void InverseCdf::map(unsigned entry, double* values, std::size_t count) const {
  const Entry& own = entries_[entry];
  switch (own.shape) {
    case Shape::kConstant:
      for (std::size_t s = 0; s < count; ++s) values[s] = own.first;
      break;
    case Shape::kNormal:
      for (std::size_t s = 0; s < count; ++s) {
        const double scaled = own.second * standardNormalQuantile(values[s]);
        values[s] = own.first + scaled;
      }
      break;
    case Shape::kTriangular:
      for (std::size_t s = 0; s < count; ++s) {
        values[s] = triangularQuantile(own.first, own.second, values[s]);
      }
      break;
    case Shape::kUniform:
      for (std::size_t s = 0; s < count; ++s) {
        values[s] = uniformQuantile(own.first, own.second, values[s]);
      }
      break;
    case Shape::kQuantile: {
      const EntryNumbers numbers = quantileEntries_.entry(entry);
      for (std::size_t s = 0; s < count; ++s) {
        values[s] = quantile_(numbers, values[s]);
      }
      break;
    }
  }
}

void InverseCdf::mapNormals(unsigned entry, double* values,
                            std::size_t count) const {
  const Entry& own = entries_[entry];
  if (own.shape == Shape::kConstant) {
    for (std::size_t s = 0; s < count; ++s) values[s] = own.first;
    return;
  }
  if (own.shape == Shape::kNormal) {
    for (std::size_t s = 0; s < count; ++s) {
      const double scaled = own.second * values[s];
      values[s] = own.first + scaled;
    }
    return;
  }
  // Phi(z) = erfc(-z / sqrt 2) / 2, within (0, 1) where it underflows or
  // rounds to 1.
  constexpr double kLeast = std::numeric_limits<double>::denorm_min();
  constexpr double kMost = 1.0 - 0x1p-53;
  for (std::size_t s = 0; s < count; ++s) {
    const double u = 0.5 * std::erfc(-values[s] * 0.70710678118654752440);
    values[s] = std::clamp(u, kLeast, kMost);
  }
  map(entry, values, count);
}

}  // namespace linprob
