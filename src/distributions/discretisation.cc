#include "distributions/discretisation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include <boost/math/distributions/normal.hpp>

namespace linprob {
namespace {

// cellCount rows of n zero cells, or no row at all for cellCount <= 0.
RectangleTable zeroTable(unsigned n, int cellCount) {
  RectangleTable table;
  if (cellCount <= 0) {
    return table;
  }
  table.resize(static_cast<std::size_t>(cellCount));
  for (auto& row : table) {
    row.resize(n);
  }
  return table;
}

// A known constant: every cell of entry i takes `value`, each with the same
// share, so the entry's cells still sum to one.
void fillConstant(RectangleTable& table, unsigned i, double value) {
  const double share = 1.0 / static_cast<double>(table.size());
  for (auto& row : table) {
    row[i].value = value;
    row[i].probability = share;
  }
}

// Divides every weight of entry i by their sum, accumulated in cell order.
// Returns the sum so the caller can tell an all-zero entry.
double normaliseEntry(RectangleTable& table, unsigned i) {
  double sum = 0.0;
  for (const auto& row : table) {
    sum += row[i].probability;
  }
  if (sum == 0.0) {
    return sum;
  }
  for (auto& row : table) {
    row[i].probability = row[i].probability / sum;
  }
  return sum;
}

}  // namespace

double normalCellWidth(int cellCount, double deviation) {
  // (factor * s) / cellCount^0.75: the product is rounded before the quotient.
  const double scaled = kNormalWidthFactor * deviation;
  const double divisor = std::pow(static_cast<double>(cellCount), 0.75);
  return scaled / divisor;
}

RectangleTable normalCells(unsigned n, int cellCount,
                           const std::vector<double>& Mean,
                           const std::vector<double>& Variance) {
  RectangleTable table = zeroTable(n, cellCount);
  if (table.empty()) {
    return table;
  }
  const double count = static_cast<double>(cellCount);
  for (unsigned i = 0; i < n; ++i) {
    const double mean = Mean[i];
    if (Variance[i] == 0.0) {
      // A normal distribution of deviation 0 cannot be built; the entry is
      // simply its mean.
      fillConstant(table, i, mean);
      continue;
    }
    const double deviation = std::sqrt(Variance[i]);
    // Throws std::domain_error for a deviation that is not positive and
    // finite or a mean that is not finite.
    const boost::math::normal_distribution<double> density(mean, deviation);
    const double width = normalCellWidth(cellCount, deviation);
    // start = mean - (w / 2) * cellCount, one rounding per step.
    const double halfWidth = width / 2.0;
    const double span = halfWidth * count;
    const double start = mean - span;
    for (int m = 0; m < cellCount; ++m) {
      SampleRectangle& cell = table[static_cast<std::size_t>(m)][i];
      // value = m * w + start: product first, then the sum.
      const double offset = static_cast<double>(m) * width;
      cell.value = offset + start;
      cell.probability = boost::math::pdf(density, cell.value);
    }
    normaliseEntry(table, i);
  }
  return table;
}

RectangleTable triangularCells(unsigned n, int cellCount,
                               const std::vector<double>& Lower,
                               const std::vector<double>& Upper) {
  RectangleTable table = zeroTable(n, cellCount);
  if (table.empty()) {
    return table;
  }
  const double count = static_cast<double>(cellCount);
  const int half = cellCount / 2;
  for (unsigned i = 0; i < n; ++i) {
    const double a = Lower[i];
    const double b = Upper[i];
    if (a == b) {
      fillConstant(table, i, a);
      continue;
    }
    const double width = (b - a) / count;
    const double halfWidth = width / 2.0;
    const double sumOfEnds = a + b;
    const double mode = sumOfEnds / 2.0;
    // Lower half: midpoints a + m * w + w / 2, weighted by their distance
    // from a; evaluated left to right, one rounding per step.
    for (int m = 0; m < half; ++m) {
      SampleRectangle& cell = table[static_cast<std::size_t>(m)][i];
      const double offset = static_cast<double>(m) * width;
      const double edge = a + offset;
      cell.value = edge + halfWidth;
      cell.probability = cell.value - a;
    }
    // Upper half, anchored at the mode: (m - half) * w + c + w / 2, weighted
    // by the distance to b. For an odd count the last value is b itself in
    // exact arithmetic; rounding can put it a speck beyond b, and a weight
    // below zero would make a negative probability, so it is held at zero.
    for (int m = half; m < cellCount; ++m) {
      SampleRectangle& cell = table[static_cast<std::size_t>(m)][i];
      const double offset = static_cast<double>(m - half) * width;
      const double edge = offset + mode;
      cell.value = edge + halfWidth;
      cell.probability = std::max(b - cell.value, 0.0);
    }
    // A single cell sits at b with weight 0 in exact arithmetic (rounding may
    // leave a speck of either sign), so there is nothing to normalise: the
    // entry is represented by its mode instead.
    if (cellCount == 1 || normaliseEntry(table, i) == 0.0) {
      fillConstant(table, i, mode);
    }
  }
  return table;
}

RectangleTable uniformCells(unsigned n, int cellCount,
                            const std::vector<double>& Lower,
                            const std::vector<double>& Upper) {
  RectangleTable table = zeroTable(n, cellCount);
  if (table.empty()) {
    return table;
  }
  const double count = static_cast<double>(cellCount);
  const double share = 1.0 / count;
  for (unsigned i = 0; i < n; ++i) {
    const double a = Lower[i];
    const double b = Upper[i];
    // Lower cell edges a + m * w; for a == b the width is 0 and every cell is
    // the constant a.
    const double width = (b - a) / count;
    for (int m = 0; m < cellCount; ++m) {
      SampleRectangle& cell = table[static_cast<std::size_t>(m)][i];
      const double offset = static_cast<double>(m) * width;
      cell.value = a + offset;
      cell.probability = share;
    }
  }
  return table;
}

}  // namespace linprob
