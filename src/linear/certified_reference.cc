#include "linear/certified_reference.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>

#include "linear/ball_rounding.h"
#include "linear/certified_inverse_state.h"
#include "linear/correlated_variance.h"
#include "linear/flint_handles.h"

namespace linprob {
namespace {

// Working precision of the ball arithmetic: far below the radii the
// inverse's residual target leaves, so rounding in the sums never decides.
constexpr slong kPrecision = 192;

// A rational as a ball.
void setRational(arb_struct* ball, const boost::multiprecision::cpp_rational& q) {
  Fmpz top;
  Fmpz bottom;
  setFromCppInt(top.get(), numerator(q));
  setFromCppInt(bottom.get(), denominator(q));
  arb_fmpz_div_fmpz(ball, top.get(), bottom.get(), kPrecision);
}

// The request as balls, and where each unknown's values stand.
class Evaluation {
 public:
  Evaluation(const CertifiedInverseState& state, const ReferenceRequest& request)
      : state_(state),
        n_(state.n),
        rhs_(n_),
        centre_(n_),
        radius_(n_),
        correlation_(request.correlation),
        weighted_(request.correlation.empty() ? 0 : n_),
        row_(n_),
        absRow_(n_),
        squareRow_(n_),
        rowSumLower_(n_),
        rowSumUpper_(n_),
        lower_(n_),
        upper_(n_) {
    for (unsigned j = 0; j < n_; ++j) {
      arb_set_d(rhs_[j], request.rhs[j]);
      // (lo + hi) / 2 and (hi - lo) / 2, exact.
      Arb low;
      arb_set_d(low.get(), request.intervalRhs[j].lower);
      arb_set_d(radius_[j], request.intervalRhs[j].upper);
      arb_add(centre_[j], radius_[j], low.get(), ARF_PREC_EXACT);
      arb_mul_2exp_si(centre_[j], centre_[j], -1);
      arb_sub(radius_[j], radius_[j], low.get(), ARF_PREC_EXACT);
      arb_mul_2exp_si(radius_[j], radius_[j], -1);
    }
    for (std::size_t s = 0; s < request.momentSets.size(); ++s) {
      const std::vector<EntryMoments>& set = request.momentSets[s];
      ArbVector means(n_);
      ArbVector variances(n_);
      for (unsigned j = 0; j < n_; ++j) {
        setRational(means[j], set[j].mean);
        setRational(variances[j], set[j].variance);
        // The deviation in place of the variance: what R weighs.
        if (correlated()) arb_sqrt(variances[j], variances[j], kPrecision);
      }
      means_.push_back(std::move(means));
      variances_.push_back(std::move(variances));
      // A copula whose covariance is not D R D: the covariance itself.
      const CopulaCovariance law = s < request.copulas.size()
                                       ? request.copulas[s]
                                       : CopulaCovariance::kNormal;
      if (correlated() && law != CopulaCovariance::kNormal) {
        ArbVector covariance(std::size_t{n_} * n_);
        copulaCovariance(law, request.correlation, set, kPrecision,
                         covariance.data());
        covariances_.push_back(std::move(covariance));
      } else {
        covariances_.emplace_back(0);
      }
    }
    result.values.trueSolution.resize(n_);
    result.values.hull.resize(n_);
    result.moments.assign(request.momentSets.size(),
                          std::vector<std::optional<UnknownMoments>>(n_));
    pendingVariances.assign(request.momentSets.size(),
                            std::vector<std::optional<double>>(n_));
    // ||A||inf exactly.
    Arf sum;
    Arf term;
    arf_zero(matrixNorm_.get());
    for (unsigned r = 0; r < n_; ++r) {
      arf_zero(sum.get());
      for (unsigned c = 0; c < n_; ++c) {
        arf_set_d(term.get(), state.matrix[std::size_t{r} * n_ + c]);
        arf_abs(term.get(), term.get());
        arf_add(sum.get(), sum.get(), term.get(), ARF_PREC_EXACT, ARF_RND_DOWN);
      }
      arf_max(matrixNorm_.get(), matrixNorm_.get(), sum.get());
    }
  }

  // Evaluates what is open of unknown i from its row's enclosure (and its
  // row sum always); true when nothing of it is open.
  bool evaluate(unsigned i) {
    state_.enclosedRow(i, row_.data());
    for (unsigned j = 0; j < n_; ++j) {
      arb_abs(absRow_[j], row_[j]);
      arb_sqr(squareRow_[j], row_[j], kPrecision);
    }
    Arb value;
    Arb spread;
    auto& values = result.values;
    if (!values.trueSolution[i]) {
      dot(value.get(), row_, rhs_);
      values.trueSolution[i] =
          decidedRounding(value.get(), RoundingDirection::kToNearest);
    }
    if (!values.hull[i]) {
      dot(value.get(), row_, centre_);
      dot(spread.get(), absRow_, radius_);
      Arb end;
      if (!lower_[i]) {
        arb_sub(end.get(), value.get(), spread.get(), kPrecision);
        lower_[i] = decidedRounding(end.get(), RoundingDirection::kDownward);
      }
      if (!upper_[i]) {
        arb_add(end.get(), value.get(), spread.get(), kPrecision);
        upper_[i] = decidedRounding(end.get(), RoundingDirection::kUpward);
      }
      if (lower_[i] && upper_[i]) values.hull[i] = ValueBounds{*lower_[i], *upper_[i]};
    }
    arb_zero(value.get());
    for (unsigned j = 0; j < n_; ++j) {
      arb_add(value.get(), value.get(), absRow_[j], kPrecision);
    }
    arb_get_lbound_arf(rowSumLower_[i].get(), value.get(), kPrecision);
    arb_get_ubound_arf(rowSumUpper_[i].get(), value.get(), kPrecision);
    bool decided = values.trueSolution[i] && values.hull[i];
    for (std::size_t s = 0; s < means_.size(); ++s) {
      std::optional<UnknownMoments>& moments = result.moments[s][i];
      if (!moments) {
        dot(value.get(), row_, means_[s]);
        if (covariances_[s].size() > 0) {
          quadraticSpread(covariances_[s], spread.get());
        } else if (correlated()) {
          correlatedSpread(variances_[s], spread.get());
        } else {
          dot(spread.get(), squareRow_, variances_[s]);
        }
        const auto mean = decidedRounding(value.get(), RoundingDirection::kToNearest);
        const auto variance =
            decidedRounding(spread.get(), RoundingDirection::kToNearest);
        if (mean && variance) moments = UnknownMoments{*mean, *variance};
        // A correlated variance waits for an exact mean (a mean of exactly
        // 0, say, never leaves its ball's rounding undecided otherwise).
        if (variance) pendingVariances[s][i] = variance;
      }
      decided = decided && moments;
    }
    return decided;
  }

  // kappa's enclosure from the row sums; true when it decides both
  // roundings. Fills the condition number either way.
  bool decideCondition() {
    Arf largestLower;
    Arf largestUpper;
    arf_zero(largestLower.get());
    arf_zero(largestUpper.get());
    for (unsigned i = 0; i < n_; ++i) {
      arf_max(largestLower.get(), largestLower.get(), rowSumLower_[i].get());
      arf_max(largestUpper.get(), largestUpper.get(), rowSumUpper_[i].get());
    }
    arf_mul(largestLower.get(), largestLower.get(), matrixNorm_.get(),
            ARF_PREC_EXACT, ARF_RND_DOWN);
    arf_mul(largestUpper.get(), largestUpper.get(), matrixNorm_.get(),
            ARF_PREC_EXACT, ARF_RND_DOWN);
    ValueBounds& enclosure = result.values.conditionEnclosure;
    enclosure.lower = roundedArf(largestLower.get(), RoundingDirection::kDownward);
    enclosure.upper = roundedArf(largestUpper.get(), RoundingDirection::kUpward);
    result.values.conditionNumber = enclosure.upper;
    return enclosure.lower ==
               roundedArf(largestUpper.get(), RoundingDirection::kDownward) &&
           enclosure.upper ==
               roundedArf(largestLower.get(), RoundingDirection::kUpward);
  }

  // The rows that can hold ||A^-1||inf: upper row sum at least every lower.
  std::vector<unsigned> conditionRows() const {
    Arf largestLower;
    arf_zero(largestLower.get());
    for (unsigned i = 0; i < n_; ++i) {
      arf_max(largestLower.get(), largestLower.get(), rowSumLower_[i].get());
    }
    std::vector<unsigned> rows;
    for (unsigned i = 0; i < n_; ++i) {
      if (arf_cmp(rowSumUpper_[i].get(), largestLower.get()) >= 0) rows.push_back(i);
    }
    return rows;
  }

  CertifiedReference result;
  // [set][unknown]: variances decided while their means were not.
  std::vector<std::vector<std::optional<double>>> pendingVariances;

  bool correlated() const { return !correlation_.empty(); }

 private:
  // w^T R w for w_j = row_j deviation_j, the variance of the current row's
  // unknown under correlated entries.
  void correlatedSpread(const ArbVector& deviations, arb_struct* out) {
    for (unsigned j = 0; j < n_; ++j) {
      arb_mul(weighted_[j], row_[j], deviations[j], kPrecision);
    }
    correlatedVariance(out, weighted_.data(), n_, correlation_, kPrecision);
  }

  // row^T C row for a covariance C (n x n balls, row-major).
  void quadraticSpread(const ArbVector& covariance, arb_struct* out) {
    Arb sum;
    arb_zero(out);
    for (unsigned j = 0; j < n_; ++j) {
      arb_dot(sum.get(), nullptr, 0, covariance.data() + std::size_t{j} * n_, 1,
              row_.data(), 1, n_, kPrecision);
      arb_addmul(out, sum.get(), row_[j], kPrecision);
    }
  }

  static void dot(arb_struct* out, const ArbVector& x, const ArbVector& y) {
    arb_dot(out, nullptr, 0, x.data(), 1, y.data(), 1,
            static_cast<slong>(x.size()), kPrecision);
  }

  const CertifiedInverseState& state_;
  unsigned n_;
  ArbVector rhs_;
  ArbVector centre_;
  ArbVector radius_;
  std::vector<ArbVector> means_;
  std::vector<ArbVector> variances_;  // deviations when correlated
  // By set, its covariance where its copula's is not D R D; else empty.
  std::vector<ArbVector> covariances_;
  // R (the request's), empty for independent entries.
  const std::vector<double>& correlation_;
  ArbVector weighted_;
  ArbVector row_;
  ArbVector absRow_;
  ArbVector squareRow_;
  std::vector<Arf> rowSumLower_;
  std::vector<Arf> rowSumUpper_;
  std::vector<std::optional<double>> lower_;
  std::vector<std::optional<double>> upper_;
  Arf matrixNorm_;
};

// The rows worth another look: the open unknowns, and kappa's candidate
// rows while kappa is open.
std::vector<unsigned> rowsToEvaluate(const Evaluation& evaluation,
                                     const std::vector<unsigned>& open,
                                     bool conditionOpen) {
  std::vector<unsigned> rows = open;
  if (conditionOpen) {
    const std::vector<unsigned> candidates = evaluation.conditionRows();
    rows.insert(rows.end(), candidates.begin(), candidates.end());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  }
  return rows;
}

// Evaluates `rows` and sets `open` to those of them with values still open;
// false when stopped.
bool evaluateRows(Evaluation& evaluation, const std::vector<unsigned>& rows,
                  std::vector<unsigned>& open, const std::stop_token& stop) {
  open.clear();
  for (const unsigned i : rows) {
    if (stop.stop_requested()) return false;
    if (!evaluation.evaluate(i)) open.push_back(i);
  }
  return true;
}

// The exact rows of `open` (and of kappa's candidate rows when kappa is
// open) decide everything left, where they are affordable.
void settleExactly(const CertifiedInverseState& state,
                   const ReferenceRequest& request, Evaluation& evaluation,
                   const std::vector<unsigned>& open, bool conditionOpen) {
  const std::vector<unsigned> rows =
      rowsToEvaluate(evaluation, open, conditionOpen);
  const unsigned n = state.n;
  if (rows.empty() || (n > kMaxExactSize &&
                       exactRowSeconds(n, rows.size()) > kExactSecondsBudget)) {
    return;
  }
  const std::optional<ExactRows> exact = ExactRows::compute(n, state.matrix, rows);
  if (!exact) return;  // cannot happen for a certified inverse
  CertifiedReference& result = evaluation.result;
  fillExactUnknowns(*exact, request.rhs, request.intervalRhs, result.values);
  // Exact variances assume independent entries: with correlated ones the
  // exact rows give the means of the variances the balls decided.
  for (std::size_t s = 0; s < request.momentSets.size(); ++s) {
    const std::vector<UnknownMoments> moments =
        propagateMoments(*exact, request.momentSets[s]);
    for (std::size_t k = 0; k < rows.size(); ++k) {
      std::optional<UnknownMoments>& target = result.moments[s][rows[k]];
      if (request.correlation.empty()) {
        target = moments[k];
      } else if (const auto& variance = evaluation.pendingVariances[s][rows[k]];
                 variance && !target) {
        target = UnknownMoments{moments[k].mean, *variance};
      }
    }
  }
  if (conditionOpen) {
    result.values.conditionEnclosure = exactConditionNumber(*exact, state.matrix);
    result.values.conditionNumber = result.values.conditionEnclosure.upper;
  }
  result.exactRows = static_cast<int>(rows.size());
}

}  // namespace

std::optional<CertifiedReference> computeCertifiedReference(
    CertifiedInverse& inverse, const ReferenceRequest& request,
    LastResort lastResort, const std::stop_token& stop) {
  const CertifiedInverseState& state = inverse.state();
  const unsigned n = state.n;
  checkRightHandSides(n, request.rhs, request.intervalRhs);
  for (const std::vector<EntryMoments>& set : request.momentSets) {
    checkEntryMoments(n, set);
  }
  for (const CopulaCovariance law : request.copulas) {
    if (law == CopulaCovariance::kNone && !request.correlation.empty()) {
      throw std::invalid_argument(
          "certified reference: a set's copula has no covariance");
    }
  }
  if (!request.correlation.empty() &&
      request.correlation.size() != std::size_t{n} * n) {
    throw std::invalid_argument(
        "certified reference: the correlation holds " +
        std::to_string(request.correlation.size()) + " numbers, not " +
        std::to_string(std::size_t{n} * n));
  }
  Evaluation evaluation(state, request);
  std::vector<unsigned> every(n);
  for (unsigned i = 0; i < n; ++i) every[i] = i;
  std::vector<unsigned> open;
  if (!evaluateRows(evaluation, every, open, stop)) return std::nullopt;
  bool conditionOpen = !evaluation.decideCondition();
  int extra = 0;
  while ((!open.empty() || conditionOpen) && extra < kExtraInverseTerms) {
    const Refinement step = inverse.refine(stop);
    if (step == Refinement::kStopped) return std::nullopt;
    if (step == Refinement::kStalled) break;
    ++extra;
    const std::vector<unsigned> rows =
        rowsToEvaluate(evaluation, open, conditionOpen);
    if (!evaluateRows(evaluation, rows, open, stop)) return std::nullopt;
    conditionOpen = !evaluation.decideCondition();
  }
  evaluation.result.extraTerms = extra;
  if (lastResort == LastResort::kWhenAffordable) {
    settleExactly(state, request, evaluation, open, conditionOpen);
  }
  return std::move(evaluation.result);
}

}  // namespace linprob
