#include "linear/inverse_certificate.h"

#include <cmath>

#include "linear/vector_clones.h"

namespace linprob {
namespace {

constexpr std::size_t L = kBatchLanes;
using Lanes = BatchLanes;
using Mask = BatchMask;

LINPROB_WIDE_CLONES __attribute__((flatten))
void certifyLanes(unsigned n, const double* columns, double* units,
                  double* factors, const FirstBound& first,
                  double mostCondition, std::int64_t* within) {
  const Lanes* const base = reinterpret_cast<const Lanes*>(columns);
  Lanes* const w = reinterpret_cast<Lanes*>(units);
  Lanes* const sums = w + std::size_t{n} * n;  // |B| applied to ones
  Lanes* const factor = reinterpret_cast<Lanes*>(factors);
  // W starts as the unit vectors; its column j holds nothing below row j
  // at any time, so only rows 0 ... j are kept.
  for (unsigned j = 0; j < n; ++j) {
    Lanes* const column = w + std::size_t{j} * n;
    for (unsigned r = 0; r < j; ++r) column[r] = Lanes{};
    column[j] = Lanes{} + 1.0;
    sums[j] = Lanes{} + 1.0;
  }
  for (unsigned k = n; k-- > 0;) {
    const Lanes pivot = base[std::size_t{k} * n + k];
    // The multipliers as the backward pass computed them: column k's
    // entries above the pivot are as that pass left them at step k.
    for (unsigned t = 0; t < k; ++t) {
      const Lanes negated = -base[std::size_t{k} * n + t];
      factor[t] = negated / pivot;
    }
    // Columns j < k are still e_j, zero in row k: they stay as they are.
    for (unsigned j = k; j < n; ++j) {
      Lanes* const column = w + std::size_t{j} * n;
      const Lanes from = column[k];
      for (unsigned t = 0; t < k; ++t) {
        // Rounded as the backward pass rounds: its error bound is B's.
        const Lanes product = from * factor[t];
        column[t] = product + column[t];
      }
      column[k] = column[k] / pivot;
    }
    const Lanes from = sums[k];
    for (unsigned t = 0; t < k; ++t) {
      const Lanes product = from * LINPROB_LANE_MAGNITUDE(factor[t]);
      sums[t] = product + sums[t];
    }
    sums[k] = sums[k] / LINPROB_LANE_MAGNITUDE(pivot);
  }
  Lanes normW = {};
  Lanes largestSum = {};
  Lanes total = {};  // NaN where a row of either is: the bound is then none
  for (unsigned r = 0; r < n; ++r) {
    Lanes row = {};
    for (unsigned j = r; j < n; ++j) {
      const Lanes entry = w[std::size_t{j} * n + r];
      row = row + LINPROB_LANE_MAGNITUDE(entry);
    }
    normW = row > normW ? row : normW;
    largestSum = sums[r] > largestSum ? sums[r] : largestSum;
    total = total + row + sums[r];
  }
  normW = total == total ? normW : total;
  const double paths = 2.0 * n + 1.0;
  const double u = std::ldexp(1.0, -53);
  const double g = paths * u / (1.0 - paths * u);
  // n^3 + n^2 products below the normal range, 2^-1075 each, twice over
  // for their own relative errors.
  const double nd = n;
  const double tinySum = std::ldexp(1.0, -1074) * (nd * nd * nd + nd * nd);
  const double slack = 1.0 + 1e-9;
  const Lanes normA = *reinterpret_cast<const Lanes*>(first.normA);
  const Lanes forward = *reinterpret_cast<const Lanes*>(first.forward);
  const Lanes whole = *reinterpret_cast<const Lanes*>(first.whole);
  const Lanes grown = largestSum * slack + 1.0;
  const Lanes tiny = grown * tinySum;
  const Lanes exactW = normW + largestSum * slack * g + tiny;
  const Lanes product = exactW * (forward * slack);
  const Lanes rounding = whole * (slack * slack) * g;
  const Lanes bound = product + rounding + tiny;
  const Lanes condition = normA * bound * (1.0 + 1e-6);
  *reinterpret_cast<Mask*>(within) = condition <= mostCondition;
}

}  // namespace

void certifyConditions(unsigned n, const double* columns, double* units,
                       double* factors, const FirstBound& first,
                       double mostCondition, std::int64_t* within) {
  certifyLanes(n, columns, units, factors, first, mostCondition, within);
}

}  // namespace linprob
