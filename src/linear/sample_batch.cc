#include "linear/sample_batch.h"

#include <cstring>
#include <utility>

#include "linear/inverse_certificate.h"
#include "linear/vector_clones.h"

namespace linprob {
namespace {

constexpr std::size_t L = kBatchLanes;
using Lanes = BatchLanes;
using Mask = BatchMask;

// Helpers always inlined, vectors passed by reference.
[[gnu::always_inline]] inline void markNotFinite(const Lanes& x, Mask& refused) {
  const Lanes difference = x - x;  // 0 for a finite x, NaN otherwise
  refused |= ~(difference == 0.0);
}

// largest = the largest of a column's n entries (none below 0) by lane,
// NaN where one is: a bound that is no number bounds nothing. (Found by a
// sum beside the compares: a NaN kept in each compare slows the whole
// pass.)
[[gnu::always_inline]] inline void largestEntry(const Lanes* column,
                                                unsigned n, Lanes& largest) {
  largest = Lanes{};
  Lanes total = {};
  for (unsigned r = 0; r < n; ++r) {
    const Lanes y = column[r];
    largest = y > largest ? y : largest;
    total = total + y;
  }
  largest = total == total ? largest : total;
}

struct Work {
  unsigned n;
  int mode;
  double* columns;
  double* factors;
  std::int64_t* order;
  std::int64_t* pivotRows;
  std::int64_t* pivotColumns;
};

// The columns: A's n, b, with the inverse the n unit vectors, then the
// bound y.

// Returns, by lane, whether the lane needs its inverse to be decided: its
// bound on the condition number above the limit and no pivot refused it.
template <bool withInverse>
LINPROB_WIDE_CLONES __attribute__((flatten))
void solveLanes(const Work& w, double mostCondition, const double* a,
                const double* b, std::size_t stride, std::size_t lanes,
                std::int64_t* refusedOut, std::int64_t* undecidedOut,
                FirstBound* firstOut) {
  // The fields in registers: a store through a Lanes may alias anything,
  // the Work it came from included.
  const unsigned n = w.n;
  Lanes* const base = reinterpret_cast<Lanes*>(w.columns);
  Lanes* const factor = reinterpret_cast<Lanes*>(w.factors);
  Mask* const order = reinterpret_cast<Mask*>(w.order);
  double* const entries = w.columns;
  std::int64_t* const unknowns = w.order;
  const auto at = [base, n](std::size_t c, std::size_t r) -> Lanes& {
    return base[c * n + r];
  };
  const std::size_t firstUnit = n + 1;
  // The columns combined alike: A's, b and the unit vectors.
  const std::size_t columnCount = withInverse ? firstUnit + n : firstUnit;
  const std::size_t bound = columnCount;
  // The columns a row exchange moves: with the bound's in its pass.
  const std::size_t exchanged = withInverse ? columnCount : bound + 1;
  const bool rowPivot = w.mode == 1 || w.mode == 3;
  const bool colPivot = w.mode >= 2;
  Mask refused = {};
  // Load, lanes beyond `lanes` the identity with b = 0; ||A||inf by lane.
  Lanes normA = {};
  // A full batch's lanes are one vector per entry.
  const bool full = lanes == L;
  for (unsigned r = 0; r < n; ++r) {
    Lanes row = {};
    for (unsigned c = 0; c < n; ++c) {
      Lanes entry;
      const double* from = a + (std::size_t{r} * n + c) * stride;
      if (full) {
        entry = *reinterpret_cast<const Lanes*>(from);
      } else {
        for (std::size_t l = 0; l < L; ++l) {
          entry[l] = l < lanes ? from[l] : (r == c ? 1.0 : 0.0);
        }
      }
      at(c, r) = entry;
      row = row + LINPROB_LANE_MAGNITUDE(entry);
    }
    normA = row > normA ? row : normA;
    Lanes rhs;
    const double* from = b + std::size_t{r} * stride;
    if (full) {
      rhs = *reinterpret_cast<const Lanes*>(from);
    } else {
      for (std::size_t l = 0; l < L; ++l) rhs[l] = l < lanes ? from[l] : 0.0;
    }
    at(n, r) = rhs;
    // y = the sum of the unit vectors' magnitudes (the bound's pass only).
    if constexpr (!withInverse) at(bound, r) = Lanes{} + 1.0;
  }
  for (unsigned k = 0; k < n; ++k) {
    for (unsigned r = 0; withInverse && r < n; ++r) {
      const Lanes zero = {};
      at(firstUnit + k, r) = zero + (r == k ? 1.0 : 0.0);
    }
    const Mask index = {};
    order[k] = index + static_cast<std::int64_t>(k);
  }

  for (unsigned i = 0; i < n; ++i) {
    const Mask self = Mask{} + static_cast<std::int64_t>(i);
    Mask bestRow = self;
    Mask bestColumn = self;
    Lanes best = {};
    if (rowPivot && colPivot) {
      for (unsigned c = i; c < n; ++c) {
        for (unsigned r = i; r < n; ++r) {
          const Lanes x = LINPROB_LANE_MAGNITUDE(at(c, r));
          const Mask greater = x > best;
          best = greater ? x : best;
          bestRow = greater ? Mask{} + static_cast<std::int64_t>(r) : bestRow;
          bestColumn =
              greater ? Mask{} + static_cast<std::int64_t>(c) : bestColumn;
        }
      }
    } else if (colPivot) {
      for (unsigned c = i; c < n; ++c) {
        const Lanes x = LINPROB_LANE_MAGNITUDE(at(c, i));
        const Mask greater = x > best;
        best = greater ? x : best;
        bestColumn = greater ? Mask{} + static_cast<std::int64_t>(c) : bestColumn;
      }
    } else if (rowPivot) {
      for (unsigned r = i; r < n; ++r) {
        const Lanes x = LINPROB_LANE_MAGNITUDE(at(i, r));
        const Mask greater = x > best;
        best = greater ? x : best;
        bestRow = greater ? Mask{} + static_cast<std::int64_t>(r) : bestRow;
      }
    }
    *reinterpret_cast<Mask*>(w.pivotRows + std::size_t{i} * L) = bestRow;
    *reinterpret_cast<Mask*>(w.pivotColumns + std::size_t{i} * L) = bestColumn;
    // Each lane's exchanges, element by element in its own lane: A's
    // columns (with the order of the unknowns), then the rows of every
    // column.
    for (std::size_t l = 0; colPivot && l < L; ++l) {
      const auto c = static_cast<std::size_t>(bestColumn[l]);
      if (c == i) continue;
      for (unsigned r = 0; r < n; ++r) {
        std::swap(entries[(std::size_t{i} * n + r) * L + l],
                  entries[(c * n + r) * L + l]);
      }
      std::swap(unknowns[std::size_t{i} * L + l], unknowns[c * L + l]);
    }
    for (std::size_t l = 0; rowPivot && l < L; ++l) {
      const auto r = static_cast<std::size_t>(bestRow[l]);
      if (r == i) continue;
      for (std::size_t c = 0; c < exchanged; ++c) {
        std::swap(entries[(c * n + i) * L + l], entries[(c * n + r) * L + l]);
      }
    }
    const Lanes pivot = at(i, i);
    for (unsigned r = i + 1; r < n; ++r) {
      const Lanes negated = -at(i, r);
      factor[r] = negated / pivot;
      markNotFinite(factor[r], refused);
    }
    for (std::size_t c = 0; c < columnCount; ++c) {
      Lanes* const column = base + c * n;
      const Lanes from = column[i];
      for (unsigned r = i + 1; r < n; ++r) {
        // Product and sum rounded apart, as the replay does.
        const Lanes product = from * factor[r];
        column[r] = product + column[r];
      }
    }
    if constexpr (!withInverse) {
      Lanes* const column = base + bound * n;
      const Lanes from = column[i];
      for (unsigned r = i + 1; r < n; ++r) {
        const Lanes product = from * LINPROB_LANE_MAGNITUDE(factor[r]);
        column[r] = product + column[r];
      }
    }
  }

  if constexpr (!withInverse) {
    // The bound after the forward pass, for the certificate.
    Lanes largest;
    largestEntry(base + bound * n, n, largest);
    *reinterpret_cast<Lanes*>(firstOut->forward) = largest;
  }
  for (unsigned k = n; k-- > 0;) {
    const Lanes pivot = at(k, k);
    refused |= pivot == 0.0;
    markNotFinite(pivot, refused);
    for (unsigned t = 0; t < k; ++t) {
      const Lanes negated = -at(k, t);
      factor[t] = negated / pivot;
      markNotFinite(factor[t], refused);
    }
    for (std::size_t c = 0; c < columnCount; ++c) {
      if (c >= k && c < n) continue;
      Lanes* const column = base + c * n;
      const Lanes from = column[k];
      for (unsigned t = 0; t < k; ++t) {
        const Lanes product = from * factor[t];
        column[t] = product + column[t];
      }
    }
    if constexpr (!withInverse) {
      Lanes* const column = base + bound * n;
      const Lanes from = column[k];
      for (unsigned t = 0; t < k; ++t) {
        const Lanes product = from * LINPROB_LANE_MAGNITUDE(factor[t]);
        column[t] = product + column[t];
      }
      column[k] = column[k] / LINPROB_LANE_MAGNITUDE(pivot);
    }
    for (std::size_t c = n; c < columnCount; ++c) {
      at(c, k) = at(c, k) / pivot;
    }
  }

  for (unsigned r = 0; r < n; ++r) markNotFinite(at(n, r), refused);
  Mask undecided = {};
  if constexpr (withInverse) {
    Lanes normInverse = {};
    Lanes total = {};  // NaN where a row is
    for (unsigned r = 0; r < n; ++r) {
      Lanes row = {};
      for (unsigned k = 0; k < n; ++k) {
        const Lanes entry = at(firstUnit + k, r);
        row = row + LINPROB_LANE_MAGNITUDE(entry);
      }
      normInverse = row > normInverse ? row : normInverse;
      total = total + row;
    }
    // A NaN row refuses, as alone.
    normInverse = total == total ? normInverse : total;
    const Lanes condition = normA * normInverse;
    refused |= ~(condition <= mostCondition);
  } else {
    // y bounds every row's sum of the computed inverse's magnitudes: each
    // step of y adds and scales by the magnitudes of the factors the
    // unit vectors meet, and its roundings and theirs differ by under
    // 1e-9 relatively for any n below a million. Where the bound keeps
    // the condition number within the limit, the inverse would too; a y
    // grown past the doubles (inf, or NaN from inf times 0) decides
    // nothing.
    Lanes largest;
    largestEntry(base + bound * n, n, largest);
    const Lanes product = normA * largest;
    const Lanes margin = product * (1.0 + 1e-9);
    undecided = ~(margin <= mostCondition) & ~refused;
    *reinterpret_cast<Lanes*>(firstOut->normA) = normA;
    *reinterpret_cast<Lanes*>(firstOut->whole) = largest;
  }
  *reinterpret_cast<Mask*>(refusedOut) = refused;
  *reinterpret_cast<Mask*>(undecidedOut) = undecided;
}

}  // namespace

SampleBatch::SampleBatch(unsigned n, const PivotMode& mode,
                         double mostCondition)
    : n_(n),
      mode_(mode.index),
      mostCondition_(mostCondition),
      columns_((2 * std::size_t{n} + 3) * n * L + L),
      factors_(std::size_t{n} * L + L),
      order_(std::size_t{n} * L),
      pivotRows_(std::size_t{n} * L),
      pivotColumns_(std::size_t{n} * L),
      refused_(L) {
  // Each lane vector on a cache line of its own (a vector across two
  // lines costs two accesses).
  const auto linesFrom = [](const double* at) {
    const auto address = reinterpret_cast<std::uintptr_t>(at);
    return (64 - address % 64) % 64 / sizeof(double);
  };
  aligned_ = linesFrom(columns_.data());
  factorsAligned_ = linesFrom(factors_.data());
}

void SampleBatch::solve(const double* a, const double* b, std::size_t stride,
                        std::size_t lanes) {
  const Work work{n_,
                  mode_,
                  columns(),
                  factors_.data() + factorsAligned_,
                  order_.data(),
                  pivotRows_.data(),
                  pivotColumns_.data()};
  std::int64_t undecided[L];
  // After a batch neither bound decided for most lanes, the next ones go
  // straight to the inverse for a while (every way decides alike).
  if (inverseFirst_ > 0) {
    --inverseFirst_;
    solveLanes<true>(work, mostCondition_, a, b, stride, lanes,
                     refused_.data(), undecided, nullptr);
    return;
  }
  FirstBound first;
  solveLanes<false>(work, mostCondition_, a, b, stride, lanes,
                    refused_.data(), undecided, &first);
  std::int64_t any = 0;
  for (std::size_t l = 0; l < L; ++l) any |= undecided[l];
  if (any == 0) return;
  // The first bound leaves a lane undecided: the certificate, from the
  // factors the pass left.
  std::int64_t within[L];
  // Its columns after A's, b and the bound's.
  double* const units = work.columns + (std::size_t{n_} + 2) * n_ * L;
  certifyConditions(n_, work.columns, units, work.factors, first,
                    mostCondition_, within);
  std::size_t open = 0;
  for (std::size_t l = 0; l < L; ++l) open += (undecided[l] & ~within[l]) != 0;
  if (open == 0) return;
  // Still undecided: the batch again with the inverse, whose condition
  // number decides as the start's check would. Where that is most lanes'
  // lot (matrices whose condition numbers are near the limit, or no
  // pivoting, whose factors grow), the next batches start there; a lane
  // now and then near singular does not send the batches after it there.
  solveLanes<true>(work, mostCondition_, a, b, stride, lanes, refused_.data(),
                   undecided, nullptr);
  if (2 * open >= L) inverseFirst_ = kInverseFirstBatches;
}

}  // namespace linprob
