#include "linear/certified_inverse.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <utility>

#include "linear/approximate_inverse.h"
#include "linear/ball.h"
#include "linear/ball_rounding.h"
#include "linear/certified_inverse_state.h"
#include "linear/dyadic_form.h"
#include "linear/matrix_check.h"

namespace linprob {
namespace {

// FLINT multiplies integer matrices fastest while every entry is a small
// fmpz (below 2^62): A is cut into slices of at most this many bits, and a
// term's integers keep 53 (a double's mantissa).
constexpr unsigned kMaxSliceBits = 61;
constexpr unsigned kTermBits = 53;
// Word products per block of rows between two looks at the stop token:
// about a tenth of a second.
constexpr double kBlockWork = 1.5e8;

// Each row's power of two (its lowest set bit) and the width of the slices
// A's integers are cut into; false for a zero row (A is singular).
bool scaleRows(CertifiedInverseState& state) {
  const unsigned n = state.n;
  state.rowExponents.assign(n, 0);
  std::int64_t widest = 1;
  for (unsigned r = 0; r < n; ++r) {
    std::int64_t lowest = LLONG_MAX;
    std::int64_t highest = LLONG_MIN;
    for (unsigned c = 0; c < n; ++c) {
      const DyadicNumber d = dyadicOf(state.matrix[std::size_t{r} * n + c]);
      if (d.mantissa == 0) continue;
      lowest = std::min(lowest, d.exponent);
      const int bits = 64 - __builtin_clzll(static_cast<unsigned long long>(
                                std::llabs(d.mantissa)));
      highest = std::max(highest, d.exponent + bits);
    }
    if (lowest == LLONG_MAX) return false;
    state.rowExponents[r] = static_cast<slong>(lowest);
    widest = std::max(widest, highest - lowest);
  }
  if (widest <= static_cast<std::int64_t>(kMaxSliceBits)) {
    state.sliceBits = static_cast<unsigned>(widest);
    state.sliceCount = 1;
  } else {
    // |v| < 2^widest <= 2^(61 s - 1): s - 1 non-negative low slices and a
    // signed top one below 2^61.
    state.sliceBits = kMaxSliceBits;
    state.sliceCount =
        static_cast<unsigned>((widest + kMaxSliceBits) / kMaxSliceBits);
  }
  state.termBits = kTermBits;
  return true;
}

// A(r, c) / 2^rowExponents[r], an integer.
void scaledEntry(fmpz* out, double a, slong rowExponent) {
  const DyadicNumber d = dyadicOf(a);
  fmpz_set_si(out, d.mantissa);
  fmpz_mul_2exp(out, out, static_cast<ulong>(d.exponent - rowExponent));
}

// The power of two that makes column j of x integers below 2^bits; false
// for a zero column.
bool columnQuantum(const std::vector<double>& x, unsigned n, unsigned j,
                   unsigned bits, slong& quantum) {
  double largest = 0.0;
  for (unsigned i = 0; i < n; ++i) {
    largest = std::max(largest, std::fabs(x[std::size_t{i} * n + j]));
  }
  if (largest == 0.0) return false;
  quantum = static_cast<slong>(std::ilogb(largest)) + 1 - static_cast<slong>(bits);
  return true;
}

// What a term's residual gives: its bounds and its doubles. Computed aside
// and moved into the state whole, so that a stop never leaves the state's
// enclosure made of parts that do not belong together.
struct TermBounds {
  Mag residualNorm;
  std::vector<Mag> columnBounds;
  std::vector<Mag> rowRadii;
  std::vector<double> roundedResidual;
};

// gamma, beta and the residual in doubles, from the exact residual; false
// when stopped.
bool residualBounds(const CertifiedInverseState& state, TermBounds& bounds,
                    const std::stop_token& stop) {
  const unsigned n = state.n;
  const FmpzMatrix& residual = *state.residual;
  bounds.columnBounds.assign(n, Mag());
  bounds.roundedResidual.assign(std::size_t{n} * n, 0.0);
  Mag entry;
  Mag rowSum;
  for (unsigned r = 0; r < n; ++r) {
    if (stop.stop_requested()) return false;
    mag_zero(rowSum.get());
    for (unsigned j = 0; j < n; ++j) {
      const fmpz* value = residual.at(r, j);
      if (fmpz_is_zero(value)) continue;
      const slong exponent =
          state.rowExponents[r] + state.residualColumnExponents[j];
      mag_set_fmpz(entry.get(), value);
      mag_mul_2exp_si(entry.get(), entry.get(), exponent);
      mag_add(rowSum.get(), rowSum.get(), entry.get());
      mag_max(bounds.columnBounds[j].get(), bounds.columnBounds[j].get(),
              entry.get());
      slong binary = 0;
      const double fraction = fmpz_get_d_2exp(&binary, value);
      const slong total = std::clamp<slong>(binary + exponent, INT_MIN / 2,
                                            INT_MAX / 2);
      bounds.roundedResidual[std::size_t{r} * n + j] =
          std::ldexp(fraction, static_cast<int>(total));
    }
    mag_max(bounds.residualNorm.get(), bounds.residualNorm.get(), rowSum.get());
  }
  return true;
}

// rho_i = ||s_i||1 / (1 - beta) over the terms and `last`, infinite while
// beta >= 1; false when stopped.
bool rowRadii(const CertifiedInverseState& state, const InverseTerm& last,
              TermBounds& bounds, const std::stop_token& stop) {
  const unsigned n = state.n;
  bounds.rowRadii.assign(n, Mag());
  Mag margin;
  mag_one(margin.get());
  mag_sub_lower(margin.get(), margin.get(), bounds.residualNorm.get());
  Mag entry;
  std::vector<const InverseTerm*> terms;
  for (const InverseTerm& term : state.terms) terms.push_back(&term);
  terms.push_back(&last);
  for (unsigned i = 0; i < n; ++i) {
    if (stop.stop_requested()) return false;
    mag_struct* radius = bounds.rowRadii[i].get();
    if (mag_is_zero(margin.get())) {
      mag_inf(radius);
      continue;
    }
    for (const InverseTerm* term : terms) {
      for (unsigned j = 0; j < n; ++j) {
        const fmpz* value = term->ints.at(i, j);
        if (fmpz_is_zero(value)) continue;
        mag_set_fmpz(entry.get(), value);
        mag_mul_2exp_si(entry.get(), entry.get(), term->columnExponents[j]);
        mag_add(radius, radius, entry.get());
      }
    }
    mag_div(radius, radius, margin.get());
  }
  return true;
}

// Subtracts A times the term from the residual, block of rows by block.
bool subtractProduct(CertifiedInverseState& state, const InverseTerm& term,
                     const std::stop_token& stop) {
  const unsigned n = state.n;
  FmpzMatrix& residual = *state.residual;
  const double perRow = static_cast<double>(n) * n * state.sliceCount;
  const unsigned blockRows = static_cast<unsigned>(
      std::clamp(kBlockWork / perRow, 1.0, static_cast<double>(n)));
  std::vector<FmpzMatrix> slices;
  for (unsigned s = 0; s < state.sliceCount; ++s) slices.emplace_back(blockRows, n);
  FmpzMatrix product(blockRows, n);
  Fmpz value;
  Fmpz shifted;
  for (unsigned first = 0; first < n; first += blockRows) {
    if (stop.stop_requested()) return false;
    const unsigned rows = std::min(blockRows, n - first);
    for (unsigned r = 0; r < rows; ++r) {
      for (unsigned c = 0; c < n; ++c) {
        scaledEntry(value.get(), state.matrix[std::size_t{first + r} * n + c],
                    state.rowExponents[first + r]);
        for (unsigned s = 0; s + 1 < state.sliceCount; ++s) {
          fmpz_fdiv_r_2exp(slices[s].at(r, c), value.get(), state.sliceBits);
          fmpz_fdiv_q_2exp(value.get(), value.get(), state.sliceBits);
        }
        fmpz_set(slices[state.sliceCount - 1].at(r, c), value.get());
      }
    }
    for (unsigned s = 0; s < state.sliceCount; ++s) {
      fmpz_mat_t block;
      fmpz_mat_t result;
      fmpz_mat_window_init(block, slices[s].get(), 0, 0, rows, n);
      fmpz_mat_window_init(result, product.get(), 0, 0, rows, n);
      fmpz_mat_mul(result, block, term.ints.get());
      fmpz_mat_window_clear(block);
      fmpz_mat_window_clear(result);
      for (unsigned r = 0; r < rows; ++r) {
        for (unsigned j = 0; j < n; ++j) {
          const slong shift = static_cast<slong>(s * state.sliceBits) +
                              term.columnExponents[j] -
                              state.residualColumnExponents[j];
          fmpz_mul_2exp(shifted.get(), product.at(r, j), static_cast<ulong>(shift));
          fmpz_sub(residual.at(first + r, j), residual.at(first + r, j),
                   shifted.get());
        }
      }
    }
  }
  return true;
}

// Adds x (n * n doubles) as the next term: its integers, the residual's
// finer columns, the exact update and the new bounds. False when stopped:
// the terms and bounds are then those before, and the residual is gone.
bool addTerm(CertifiedInverseState& state, const std::vector<double>& x,
             const std::stop_token& stop) {
  const unsigned n = state.n;
  InverseTerm term{FmpzMatrix(n, n), std::vector<slong>(n, 0)};
  FmpzMatrix& residual = *state.residual;
  for (unsigned j = 0; j < n; ++j) {
    slong quantum = 0;
    if (!columnQuantum(x, n, j, state.termBits, quantum)) {
      term.columnExponents[j] = state.residualColumnExponents[j];
      continue;  // a zero column: its integers stay 0
    }
    term.columnExponents[j] = quantum;
    const slong current = state.residualColumnExponents[j];
    if (quantum < current) {
      for (unsigned r = 0; r < n; ++r) {
        fmpz_mul_2exp(residual.at(r, j), residual.at(r, j),
                      static_cast<ulong>(current - quantum));
      }
      state.residualColumnExponents[j] = quantum;
    }
    for (unsigned i = 0; i < n; ++i) {
      // |x| 2^-quantum < 2^53: the scaling and the rounding are exact in
      // doubles.
      const double scaled = std::nearbyint(
          std::ldexp(x[std::size_t{i} * n + j], static_cast<int>(-quantum)));
      fmpz_set_d(term.ints.at(i, j), scaled);
    }
  }
  TermBounds bounds;
  if (!subtractProduct(state, term, stop) ||
      !residualBounds(state, bounds, stop) ||
      !rowRadii(state, term, bounds, stop)) {
    // The residual no longer belongs to the terms: no more of them.
    state.residual.reset();
    return false;
  }
  state.terms.push_back(std::move(term));
  state.residualNorm = bounds.residualNorm;
  state.columnBounds = std::move(bounds.columnBounds);
  state.rowRadii = std::move(bounds.rowRadii);
  state.roundedResidual = std::move(bounds.roundedResidual);
  return true;
}

// The residual I with its column powers of two: g_j no coarser than X0's
// column quantum, and fine enough that 1 = 2^-(e_j + g_j) 2^(e_j + g_j) is
// an integer multiple.
void startResidual(CertifiedInverseState& state) {
  const unsigned n = state.n;
  state.residual.emplace(n, n);
  state.residualColumnExponents.assign(n, 0);
  for (unsigned j = 0; j < n; ++j) {
    slong quantum = 0;
    if (!columnQuantum(state.preconditioner, n, j, state.termBits, quantum)) {
      quantum = 0;
    }
    const slong exponent = std::min(quantum, -state.rowExponents[j]);
    state.residualColumnExponents[j] = exponent;
    fmpz_one(state.residual->at(j, j));
    fmpz_mul_2exp(state.residual->at(j, j), state.residual->at(j, j),
                  static_cast<ulong>(-(state.rowExponents[j] + exponent)));
  }
}

}  // namespace

CertifiedInverseResult CertifiedInverse::compute(
    unsigned n, const std::vector<double>& matrixRowMajor,
    const std::stop_token& stop) {
  checkSquareMatrix(n, matrixRowMajor, "certified inverse");
  CertifiedInverseResult result;
  auto state = std::make_unique<CertifiedInverseState>(n);
  state->matrix = matrixRowMajor;
  if (n == 0 || !scaleRows(*state)) return result;
  switch (approximateInverse(n, state->matrix, state->preconditioner, stop)) {
    case ApproximateOutcome::kDone:
      break;
    case ApproximateOutcome::kSingular:
      return result;
    case ApproximateOutcome::kStopped:
      result.status = Certification::kStopped;
      return result;
  }
  startResidual(*state);
  if (!addTerm(*state, state->preconditioner, stop)) {
    result.status = Certification::kStopped;
    return result;
  }
  CertifiedInverse inverse(std::move(state));
  while (mag_cmp_2exp_si(inverse.state_->residualNorm.get(),
                         -kTargetResidualBits) > 0) {
    const Refinement step = inverse.refine(stop);
    if (step == Refinement::kStopped) {
      result.status = Certification::kStopped;
      return result;
    }
    if (step == Refinement::kStalled) break;
  }
  if (mag_cmp_2exp_si(inverse.state_->residualNorm.get(), 0) >= 0) return result;
  result.status = Certification::kCertified;
  result.inverse.emplace(std::move(inverse));
  return result;
}

CertifiedInverse::CertifiedInverse(std::unique_ptr<CertifiedInverseState> state)
    : state_(std::move(state)) {}
CertifiedInverse::CertifiedInverse(CertifiedInverse&&) noexcept = default;
CertifiedInverse& CertifiedInverse::operator=(CertifiedInverse&&) noexcept =
    default;
CertifiedInverse::~CertifiedInverse() = default;

unsigned CertifiedInverse::size() const { return state_->n; }

int CertifiedInverse::terms() const {
  return static_cast<int>(state_->terms.size());
}

double CertifiedInverse::residualBound() const {
  return mag_get_d(state_->residualNorm.get());
}

Refinement CertifiedInverse::refine(const std::stop_token& stop) {
  CertifiedInverseState& state = *state_;
  if (!state.residual ||
      static_cast<int>(state.terms.size()) >= kMaxInverseTerms) {
    return Refinement::kStalled;
  }
  std::vector<double> correction;
  if (multiplyMatrices(state.n, state.preconditioner, state.roundedResidual,
                       correction, stop) == ApproximateOutcome::kStopped) {
    return Refinement::kStopped;
  }
  if (std::all_of(correction.begin(), correction.end(),
                  [](double x) { return x == 0.0; })) {
    return Refinement::kStalled;
  }
  const Mag before = state.residualNorm;
  if (!addTerm(state, correction, stop)) return Refinement::kStopped;
  Mag half = before;
  mag_mul_2exp_si(half.get(), half.get(), -1);
  return mag_cmp(state.residualNorm.get(), half.get()) <= 0
             ? Refinement::kImproved
             : Refinement::kStalled;
}

void CertifiedInverse::releaseWorkingData() {
  state_->preconditioner = {};
  state_->residual.reset();
  state_->residualColumnExponents = {};
  state_->roundedResidual = {};
  // FLINT keeps a cleared integer's limbs in this thread's cache for reuse:
  // after the residual that is about n^2 of them (some 200 MB at 2,000
  // unknowns), held to the end of the run unless handed back here.
  releaseArbCaches();
}

}  // namespace linprob
