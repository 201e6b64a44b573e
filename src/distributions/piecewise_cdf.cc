#include "distributions/piecewise_cdf.h"

#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

namespace linprob {
namespace {

// One atom of a part's difference operator: shift by shiftSign * h, weight.
struct Atom {
  int shiftSign;
  slong weight;
};

constexpr Atom kUniformAtoms[] = {{+1, +1}, {-1, -1}};
constexpr Atom kTriangularAtoms[] = {{+1, +1}, {0, -2}, {-1, +1}};

// The terms of the alternating sum: one shift and one integer weight each.
struct Terms {
  BallVector shifts;
  std::vector<slong> weights;
};

Terms expandTerms(const SumLaw& law, slong precision) {
  const bool uniform = law.shape == EntryShape::kUniform;
  const Atom* atoms = uniform ? kUniformAtoms : kTriangularAtoms;
  const std::size_t atomCount = uniform ? 2 : 3;
  Terms terms{BallVector(1), std::vector<slong>{1}};
  Ball step;
  for (const Ball& h : law.halfWidths) {
    Terms next{BallVector(terms.weights.size() * atomCount), {}};
    next.weights.reserve(next.shifts.size());
    std::size_t t = 0;
    for (std::size_t s = 0; s < terms.weights.size(); ++s) {
      for (std::size_t a = 0; a < atomCount; ++a, ++t) {
        arb_mul_si(step.get(), h.get(), atoms[a].shiftSign, precision);
        arb_add(next.shifts[t], terms.shifts[s], step.get(), precision);
        next.weights.push_back(terms.weights[s] * atoms[a].weight);
      }
    }
    terms = std::move(next);
  }
  return terms;
}

// prod_j c_j / N!: c = 1 / (2h) for a uniform part, 1 / h^2 for a
// triangular one; N their summed orders.
void prefactor(const SumLaw& law, slong precision, arb_t out, ulong& order) {
  const bool uniform = law.shape == EntryShape::kUniform;
  Ball denominator(1.0);
  for (const Ball& h : law.halfWidths) {
    arb_mul(denominator.get(), denominator.get(), h.get(), precision);
    if (uniform) {
      arb_mul_2exp_si(denominator.get(), denominator.get(), 1);
    } else {
      arb_mul(denominator.get(), denominator.get(), h.get(), precision);
    }
  }
  order = law.halfWidths.size() * (uniform ? 1 : 2);
  Ball factorial;
  arb_fac_ui(factorial.get(), order, precision);
  arb_mul(denominator.get(), denominator.get(), factorial.get(), precision);
  arb_inv(out, denominator.get(), precision);
}

// out = max(z, 0)^order, for a ball z that may straddle 0.
void positivePower(const arb_t z, ulong order, slong precision, arb_t out) {
  if (arb_is_positive(z)) {
    arb_pow_ui(out, z, order, precision);
    return;
  }
  // [0, max(z)^order]: the power of the upper end, joined with 0.
  arf_t upper;
  arf_init(upper);
  arb_get_ubound_arf(upper, z, precision);
  arb_set_arf(out, upper);
  arf_clear(upper);
  arb_pow_ui(out, out, order, precision);
  Ball zero;
  arb_union(out, out, zero.get(), precision);
}

}  // namespace

std::uint64_t pieceCount(const SumLaw& law) {
  if (law.shape == EntryShape::kNormal) return 0;
  const std::uint64_t atoms = law.shape == EntryShape::kUniform ? 2 : 3;
  std::uint64_t count = 1;
  for (std::size_t j = 0; j < law.halfWidths.size(); ++j) {
    if (count > std::numeric_limits<std::uint64_t>::max() / atoms) {
      return std::numeric_limits<std::uint64_t>::max();
    }
    count *= atoms;
  }
  return count;
}

void piecewiseCdf(const SumLaw& law, arb_srcptr points, std::size_t count,
                  slong precision, arb_ptr out) {
  if (law.shape == EntryShape::kNormal) {
    throw std::invalid_argument("piecewise cdf: normal law");
  }
  if (law.pointMass()) {
    for (std::size_t k = 0; k < count; ++k) {
      cdfOutsideParts(law, points + k, precision, out + k);
    }
    return;
  }
  const Terms terms = expandTerms(law, precision);
  Ball scale;
  ulong order = 0;
  prefactor(law, precision, scale.get(), order);
  Ball offset;
  Ball z;
  Ball power;
  for (std::size_t k = 0; k < count; ++k) {
    if (cdfOutsideParts(law, points + k, precision, out + k)) continue;
    arb_sub(offset.get(), points + k, law.center.get(), precision);
    arb_zero(out + k);
    for (std::size_t t = 0; t < terms.weights.size(); ++t) {
      arb_add(z.get(), offset.get(), terms.shifts[t], precision);
      if (arb_is_nonpositive(z.get())) continue;
      positivePower(z.get(), order, precision, power.get());
      arb_addmul_si(out + k, power.get(), terms.weights[t], precision);
    }
    arb_mul(out + k, out + k, scale.get(), precision);
  }
}

}  // namespace linprob
