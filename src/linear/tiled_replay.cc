#include "linear/tiled_replay.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "linear/four_lanes.h"
#include "linear/vector_clones.h"

namespace linprob {
namespace {


// Lanes per group: two vectors per row. A tile holds whole groups, stored
// group after group, each as its rows of kGroupLanes lanes.
constexpr std::size_t kGroupLanes = 8;
// A tile's rows are read again for every panel of factors, and the factors
// (n^2 doubles, 8 MB at 1,000 unknowns) once for every tile: a tile of a
// second-level cache's size reads them a fifth as often as one of 192 KiB,
// which at 1,000 unknowns made the replay a third faster (2 threads, 1 MiB
// of cache per core), the same at 500.
constexpr std::size_t kTileBytes = 1024 * 1024;


// Rows r0 ... r0+Rows-1 of one group: row r at row0 + r * step. Adds every
// source i < r0 into the panel's rows, then the panel's own rows into the
// rows below them, all in source order: for each element, its factor times
// the source, rounded, then added. `panel` holds the panel's factors as
// PackedTriangle says.
template <std::size_t Rows>
__attribute__((always_inline)) inline void solvePanel(
    const double* panel, std::size_t r0, double* row0, std::ptrdiff_t step) {
  FourDoubles low[Rows];
  FourDoubles high[Rows];
#pragma GCC unroll 8
  for (std::size_t t = 0; t < Rows; ++t) {
    const double* row = row0 + static_cast<std::ptrdiff_t>(r0 + t) * step;
    loadFour(low[t], row);
    loadFour(high[t], row + 4);
  }
  const double* source = row0;
  const double* factors = panel;
  for (std::size_t i = 0; i < r0; ++i) {
    FourDoubles x0;
    FourDoubles x1;
    loadFour(x0, source);
    loadFour(x1, source + 4);
#pragma GCC unroll 8
    for (std::size_t t = 0; t < Rows; ++t) {
      FourDoubles factor;
      fillFour(factor, factors[t]);
      // The product is rounded first, then added: the replay's order.
      const FourDoubles p0 = factor * x0;
      const FourDoubles p1 = factor * x1;
      low[t] = p0 + low[t];
      high[t] = p1 + high[t];
    }
    source += step;
    factors += kPanelRows;
  }
  // The panel's own triangle: row r0+t is final once rows r0 ... r0+t-1
  // were added into it.
#pragma GCC unroll 8
  for (std::size_t t = 0; t + 1 < Rows; ++t) {
    const double* own = factors + t * kPanelRows;
#pragma GCC unroll 8
    for (std::size_t u = t + 1; u < Rows; ++u) {
      FourDoubles factor;
      fillFour(factor, own[u]);
      const FourDoubles p0 = factor * low[t];
      const FourDoubles p1 = factor * high[t];
      low[u] = p0 + low[u];
      high[u] = p1 + high[u];
    }
  }
#pragma GCC unroll 8
  for (std::size_t t = 0; t < Rows; ++t) {
    double* row = row0 + static_cast<std::ptrdiff_t>(r0 + t) * step;
    storeFour(row, low[t]);
    storeFour(row + 4, high[t]);
  }
}

// One triangle on `groups` groups of n rows, row r of group g at
// tile + g * n * kGroupLanes + first + r * step.
__attribute__((always_inline)) inline void solveTriangle(
    const PackedTriangle& triangle, unsigned n, double* tile,
    std::size_t groups, std::size_t first, std::ptrdiff_t step) {
  const std::size_t groupSize = static_cast<std::size_t>(n) * kGroupLanes;
  for (std::size_t p = 0; p * kPanelRows < n; ++p) {
    const std::size_t r0 = p * kPanelRows;
    const std::size_t rows = std::min<std::size_t>(kPanelRows, n - r0);
    const double* panel = triangle.panel(p);
    for (std::size_t g = 0; g < groups; ++g) {
      double* row0 = tile + g * groupSize + first;
      switch (rows) {
        case 1:
          solvePanel<1>(panel, r0, row0, step);
          break;
        case 2:
          solvePanel<2>(panel, r0, row0, step);
          break;
        case 3:
          solvePanel<3>(panel, r0, row0, step);
          break;
        default:
          solvePanel<kPanelRows>(panel, r0, row0, step);
          break;
      }
    }
  }
}

}  // namespace

LINPROB_VECTOR_CLONES __attribute__((flatten))
void replayScheduled(const ReplaySchedule& schedule, double* values,
                     std::size_t stride, std::size_t lanes) {
  static_assert(kPanelRows == 4, "solveTriangle dispatches 1 ... 4 rows");
  const unsigned n = schedule.size();
  const std::size_t groupSize = static_cast<std::size_t>(n) * kGroupLanes;
  const std::size_t tileGroups =
      std::max<std::size_t>(1, kTileBytes / (groupSize * sizeof(double)));
  thread_local std::vector<double> tile;
  for (std::size_t first = 0; first < lanes;
       first += tileGroups * kGroupLanes) {
    const std::size_t width =
        std::min(lanes - first, tileGroups * kGroupLanes);
    const std::size_t groups = (width + kGroupLanes - 1) / kGroupLanes;
    if (tile.size() < groups * groupSize) tile.resize(groups * groupSize);
    double* const buffer = tile.data();
    // In: logical row k from input row inputRow(k); lanes past the block's
    // are zero and never go back.
    const std::size_t whole = width / kGroupLanes;
    const std::size_t rest = width % kGroupLanes;
    for (unsigned k = 0; k < n; ++k) {
      const double* from = values + schedule.inputRow(k) * stride + first;
      double* to = buffer + k * kGroupLanes;
      for (std::size_t g = 0; g < whole; ++g) {
        std::memcpy(to + g * groupSize, from + g * kGroupLanes,
                    kGroupLanes * sizeof(double));
      }
      if (rest != 0) {
        double* last = to + whole * groupSize;
        std::copy(from + whole * kGroupLanes, from + width, last);
        std::fill(last + rest, last + kGroupLanes, 0.0);
      }
    }
    solveTriangle(schedule.forward(), n, buffer, groups, 0,
                  static_cast<std::ptrdiff_t>(kGroupLanes));
    solveTriangle(schedule.backward(), n, buffer, groups,
                  (n - 1) * kGroupLanes,
                  -static_cast<std::ptrdiff_t>(kGroupLanes));
    // Out: row k divided by its pivot.
    for (unsigned k = 0; k < n; ++k) {
      double* to = values + k * stride + first;
      const double* from = buffer + k * kGroupLanes;
      const double own = schedule.pivot(k);
      FourDoubles pivot;
      fillFour(pivot, own);
      for (std::size_t g = 0; g < whole; ++g) {
        FourDoubles low;
        FourDoubles high;
        loadFour(low, from + g * groupSize);
        loadFour(high, from + g * groupSize + 4);
        const FourDoubles lowQuotient = low / pivot;
        const FourDoubles highQuotient = high / pivot;
        storeFour(to + g * kGroupLanes, lowQuotient);
        storeFour(to + g * kGroupLanes + 4, highQuotient);
      }
      for (std::size_t l = 0; l < rest; ++l) {
        to[whole * kGroupLanes + l] = from[whole * groupSize + l] / own;
      }
    }
  }
}

}  // namespace linprob
