#include "solve/extremes.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "linear/vector_clones.h"
#include "solve/band_table.h"

namespace linprob {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The smallest and the largest of values[0 ... count-1] (count >= 1), with
// -0.0 preferred for the minimum and +0.0 for the maximum among zeros, as
// lowerThan and higherThan do. Four lanes at a time in plain comparisons
// (vector code, AVX2 where available); the signed zeros are settled
// afterwards, and only when a zero is the result.
using FourDoubles = double __attribute__((vector_size(32)));

LINPROB_VECTOR_CLONES
void blockExtremes(const double* values, std::size_t count, double& low,
                   double& high) {
  FourDoubles lows = {kInfinity, kInfinity, kInfinity, kInfinity};
  FourDoubles highs = -lows;
  std::size_t j = 0;
  for (; j + 4 <= count; j += 4) {
    FourDoubles v;
    std::memcpy(&v, values + j, sizeof v);
    lows = v < lows ? v : lows;
    highs = v > highs ? v : highs;
  }
  low = kInfinity;
  high = -kInfinity;
  for (int lane = 0; lane < 4; ++lane) {
    if (lows[lane] < low) low = lows[lane];
    if (highs[lane] > high) high = highs[lane];
  }
  for (; j < count; ++j) {
    if (values[j] < low) low = values[j];
    if (values[j] > high) high = values[j];
  }
  if (low == 0.0) {
    low = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
      if (values[i] == 0.0 && std::signbit(values[i])) {
        low = -0.0;
        break;
      }
    }
  }
  if (high == 0.0) {
    high = -0.0;
    for (std::size_t i = 0; i < count; ++i) {
      if (values[i] == 0.0 && !std::signbit(values[i])) {
        high = 0.0;
        break;
      }
    }
  }
}

}  // namespace

Extremes::Extremes(unsigned n) : min(n, kInfinity), max(n, -kInfinity) {}

void Extremes::take(const JobBlock& block) {
  if (block.count == 0) return;
  for (unsigned e = 0; e < min.size(); ++e) {
    double low = 0.0;
    double high = 0.0;
    blockExtremes(block.entry(e), block.count, low, high);
    takeMin(e, low);
    takeMax(e, high);
  }
}

void Extremes::takeMin(unsigned position, double v) {
  if (lowerThan(v, min[position])) min[position] = v;
}

void Extremes::takeMax(unsigned position, double v) {
  if (higherThan(v, max[position])) max[position] = v;
}

void Extremes::merge(const Extremes& other) {
  for (unsigned e = 0; e < min.size(); ++e) {
    takeMin(e, other.min[e]);
    takeMax(e, other.max[e]);
  }
}

}  // namespace linprob
