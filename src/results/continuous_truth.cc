#include "results/continuous_truth.h"

#include <iterator>
#include <optional>
#include <sstream>
#include <utility>

#include "distributions/characteristic_cdf.h"
#include "distributions/piecewise_cdf.h"
#include "distributions/rounded_characteristic_cdf.h"
#include "linear/ball.h"
#include "linear/correlated_variance.h"

namespace linprob {
namespace {

// Working precisions, in bits, tried in turn by the normal and the
// piecewise method.
constexpr slong kPrecisions[] = {128, 256, 512, 1024, 2048, 4096};
// The characteristic function has no cancellation to outrun: one
// precision, and a tolerance per distribution function value that leaves
// the differences of two well inside kTruthErrorLimit.
constexpr slong kCharacteristicPrecision = 64;
constexpr double kCharacteristicTolerance = 1e-11;
// The alternating sum is first choice while its pieces times the points
// stay below kMaxPieceWork (at 4 unknowns and 2,000 bands it still is);
// beyond, the characteristic function in doubles, which is taken when its
// bounds are within kCharacteristicTolerance. Its ball version is tried
// after both only for laws of at most kMaxBallParts parts: its cost grows
// with the parts times the nodes, which grow with the parts as well.
constexpr std::uint64_t kMaxPieceWork = std::uint64_t{1} << 18;
constexpr std::size_t kMaxBallParts = 64;
// The law for the characteristic function in doubles needs only its
// midpoints to a double's precision and its radii.
constexpr slong kRoundedPrecision = 64;

// One value of the table from its ball: cut to [0, 1], rounded.
void setValue(arb_t ball, slong precision, double& value, double& error,
              double& maxError) {
  Ball unit(0.5);
  mag_set_d(arb_radref(unit.get()), 0.5);
  Ball cut;
  if (arb_intersection(cut.get(), ball, unit.get(), precision)) {
    arb_swap(ball, cut.get());
  }
  const RoundedValue rounded = roundedValue(ball);
  value = rounded.value;
  error = rounded.error;
  // NaN compares false: an infinite error stays the largest.
  if (!(error <= maxError)) maxError = error;
}

// The table from F at b0 ... b_walked.
TruthTable tableOf(const BallVector& cdf, TruthMethod method,
                   double upperBorder, slong precision) {
  const std::size_t walked = cdf.size() - 1;
  TruthTable table;
  table.method = method;
  table.values.masses.assign(walked, 0.0);
  table.errors.masses.assign(walked, 0.0);
  table.values.upperBorder = upperBorder;
  table.errors.upperBorder = upperBorder;
  Ball value;
  arb_set(value.get(), cdf[0]);
  setValue(value.get(), precision, table.values.lowerTail,
           table.errors.lowerTail, table.maxError);
  for (std::size_t k = 0; k < walked; ++k) {
    arb_sub(value.get(), cdf[k + 1], cdf[k], precision);
    setValue(value.get(), precision, table.values.masses[k],
             table.errors.masses[k], table.maxError);
  }
  arb_one(value.get());
  arb_sub(value.get(), value.get(), cdf[walked], precision);
  setValue(value.get(), precision, table.values.upperTail,
           table.errors.upperTail, table.maxError);
  return table;
}

class Evaluation {
 public:
  explicit Evaluation(const TruthQuestion& question)
      : q_(question),
        row_(question.inverse->size()),
        points_(question.walked + 1),
        cdf_(question.walked + 1) {
    arb_set_d(points_[0], q_.min);
    for (std::size_t k = 0; k < q_.walked; ++k) {
      arb_set_d(points_[k + 1], (*q_.borders)[k]);
    }
    upperBorder_ = q_.walked ? (*q_.borders)[q_.walked - 1] : q_.min;
  }

  SumLaw law(slong precision) {
    q_.inverse->row(q_.unknown, precision, row_.data());
    SumLaw sum = sumLaw(q_.shape, row_.data(), *q_.pairs, precision);
    if (q_.correlation != nullptr && q_.shape == EntryShape::kNormal) {
      withCorrelation(sum, precision);
    }
    return sum;
  }

  // The variance w^T R w of correlated normal entries, w_j = a_j sqrt(v_j).
  void withCorrelation(SumLaw& sum, slong precision) {
    const std::size_t n = row_.size();
    BallVector w(n);
    Ball deviation;
    for (std::size_t j = 0; j < n; ++j) {
      arb_set_d(deviation.get(), (*q_.pairs)[2 * j + 1]);
      arb_sqrt(deviation.get(), deviation.get(), precision);
      arb_mul(w[j], row_[j], deviation.get(), precision);
    }
    correlatedVariance(sum.variance.get(), w.data(), n, *q_.correlation,
                       precision);
  }

  TruthTable normal(slong precision) {
    normalCdf(law(precision), points_.data(), points_.size(), precision,
              cdf_.data());
    return tableOf(cdf_, TruthMethod::kNormal, upperBorder_, precision);
  }

  TruthTable piecewise(const SumLaw& sum, slong precision) {
    piecewiseCdf(sum, points_.data(), points_.size(), precision, cdf_.data());
    return tableOf(cdf_, TruthMethod::kPiecewise, upperBorder_, precision);
  }

  TruthTable rounded(const SumLaw& sum) {
    roundedCharacteristicCdf(sum, points_.data(), points_.size(),
                             kCharacteristicTolerance, kRoundedPrecision,
                             cdf_.data());
    return tableOf(cdf_, TruthMethod::kRoundedCharacteristic, upperBorder_,
                   kRoundedPrecision);
  }

  TruthTable characteristic() {
    const slong precision = kCharacteristicPrecision;
    characteristicCdf(law(precision), points_.data(), points_.size(),
                      kCharacteristicTolerance, precision, cdf_.data());
    return tableOf(cdf_, TruthMethod::kCharacteristic, upperBorder_,
                   precision);
  }

 private:
  const TruthQuestion& q_;
  BallVector row_;
  BallVector points_;
  BallVector cdf_;
  double upperBorder_ = 0.0;
};

void keepBetter(std::optional<TruthTable>& best, TruthTable candidate) {
  if (!best || candidate.maxError < best->maxError) best = std::move(candidate);
}

bool wanted(const std::optional<TruthTable>& table) {
  return table && table->maxError <= kWantedError;
}

}  // namespace

const char* truthMethodName(TruthMethod method) {
  switch (method) {
    case TruthMethod::kNormal:
      return "normal";
    case TruthMethod::kPiecewise:
      return "piecewise polynomial";
    case TruthMethod::kCharacteristic:
      return "characteristic function";
    case TruthMethod::kEnumeration:
      return "enumeration of every combination";
    case TruthMethod::kRoundedCharacteristic:
      break;
  }
  return "characteristic function in doubles";
}

TruthOutcome continuousTruth(const TruthQuestion& question) {
  Evaluation evaluation(question);
  std::optional<TruthTable> best;
  if (question.shape == EntryShape::kNormal) {
    for (const slong precision : kPrecisions) {
      keepBetter(best, evaluation.normal(precision));
      if (wanted(best)) break;
    }
  } else {
    // Its parts' count is the same at any precision.
    const SumLaw quick = evaluation.law(kRoundedPrecision);
    const std::uint64_t pieces = pieceCount(quick);
    const bool alternating = pieces <= kMaxPieces;
    const std::uint64_t points = question.walked + 1;
    if (!alternating || pieces > kMaxPieceWork / points) {
      keepBetter(best, evaluation.rounded(quick));
    }
    const bool roundedEnough =
        best && best->maxError <= kCharacteristicTolerance;
    if (alternating && !roundedEnough) {
      keepBetter(best, evaluation.piecewise(evaluation.law(kPrecisions[0]),
                                            kPrecisions[0]));
      for (std::size_t p = 1; p < std::size(kPrecisions) && !wanted(best);
           ++p) {
        const slong precision = kPrecisions[p];
        keepBetter(best,
                   evaluation.piecewise(evaluation.law(precision), precision));
      }
    }
    if (!roundedEnough && !wanted(best) &&
        quick.halfWidths.size() <= kMaxBallParts) {
      keepBetter(best, evaluation.characteristic());
    }
  }
  TruthOutcome outcome;
  if (best && best->maxError <= kTruthErrorLimit) {
    outcome.table = std::move(best);
    return outcome;
  }
  std::ostringstream reason;
  reason.precision(2);
  reason << "no error bound within " << kTruthErrorLimit
         << " could be certified";
  if (best) {
    reason << " (best " << best->maxError << ", "
           << truthMethodName(best->method) << ")";
  }
  outcome.reason = reason.str();
  return outcome;
}

}  // namespace linprob
