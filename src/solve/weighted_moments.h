// WeightedMoments: the weighted mean and standard deviation of solved
// values, accumulated about a reference value r (the unknown's exact
// solution) so that the sums stay small and do not cancel:
//   sumWeight = sum w,  sumFirst = sum w d,  sumSecond = sum w d^2,
//   with d = x - r.
// mean = r + sumFirst / sumWeight;
// sd   = sqrt(max(0, sumSecond / sumWeight - (sumFirst / sumWeight)^2)).
//
// add() is inline, allocates nothing and costs six flops. Each sum is
// rounded in the order of the calls, so a result is reproducible when the
// caller adds and merges in a fixed order; merge() adds another
// accumulator's sums (it must have the same reference). Without any weight
// mean() and sd() are NaN. Not thread-safe: one accumulator per thread.
#ifndef LINPROB_SOLVE_WEIGHTED_MOMENTS_H_
#define LINPROB_SOLVE_WEIGHTED_MOMENTS_H_

#include <cmath>
#include <limits>
#include <stdexcept>

namespace linprob {

class WeightedMoments {
 public:
  explicit WeightedMoments(double reference = 0.0) : reference_(reference) {}

  void add(double x, double w) {
    // One rounding per statement: d, then w d, then w d d from w d (not
    // w (d d)), each added to its own sum.
    const double d = x - reference_;
    const double first = w * d;
    const double second = first * d;
    sumWeight_ += w;
    sumFirst_ += first;
    sumSecond_ += second;
  }

  // Throws std::invalid_argument "weighted moments: merge with another
  // reference" when the references differ.
  void merge(const WeightedMoments& other) {
    if (other.reference_ != reference_) {
      throw std::invalid_argument(
          "weighted moments: merge with another reference");
    }
    sumWeight_ += other.sumWeight_;
    sumFirst_ += other.sumFirst_;
    sumSecond_ += other.sumSecond_;
  }

  // Adds sums that a caller accumulated as add() does (for example one lane
  // of several, each summed in a fixed order), as merge() would.
  void addSums(double sumWeight, double sumFirst, double sumSecond) {
    sumWeight_ += sumWeight;
    sumFirst_ += sumFirst;
    sumSecond_ += sumSecond;
  }

  // The accumulator whose three sums are exactly these (signed zeros
  // included): another process's, as sumWeight(), sumFirst() and
  // sumSecond() gave them.
  static WeightedMoments withSums(double reference, double sumWeight,
                                  double sumFirst, double sumSecond) {
    WeightedMoments moments(reference);
    moments.sumWeight_ = sumWeight;
    moments.sumFirst_ = sumFirst;
    moments.sumSecond_ = sumSecond;
    return moments;
  }

  double reference() const { return reference_; }
  double sumWeight() const { return sumWeight_; }
  double sumFirst() const { return sumFirst_; }
  double sumSecond() const { return sumSecond_; }

  double mean() const {
    if (sumWeight_ == 0.0) return std::numeric_limits<double>::quiet_NaN();
    const double shift = sumFirst_ / sumWeight_;
    return reference_ + shift;
  }

  double sd() const {
    if (sumWeight_ == 0.0) return std::numeric_limits<double>::quiet_NaN();
    // Variance about r minus the squared shift of the mean from r.
    const double shift = sumFirst_ / sumWeight_;
    const double aboutReference = sumSecond_ / sumWeight_;
    const double shiftSquared = shift * shift;
    const double variance = aboutReference - shiftSquared;
    return variance > 0.0 ? std::sqrt(variance) : 0.0;
  }

 private:
  double reference_;
  double sumWeight_ = 0.0;
  double sumFirst_ = 0.0;
  double sumSecond_ = 0.0;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_WEIGHTED_MOMENTS_H_
