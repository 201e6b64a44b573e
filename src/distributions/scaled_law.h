// A uniform or triangular SumLaw in doubles for the rounded inversion of
// its characteristic function (rounded_characteristic_cdf.h): its parts as
// uniform parts of half-width g_j (a triangular part of half-width h is two
// of h/2), descending, scaled by a power of two that puts the largest in
// [1, 2) (exactly); what rounding the law to doubles moves x by (shift) and
// the largest density; and the tables a node of the rule reads: the sums
// of the parts' even powers from each part on, for the series of the small
// parts' log sinc, and the running sums of their logarithms, for the bound
// G on the product of the large ones.
#ifndef LINPROB_DISTRIBUTIONS_SCALED_LAW_H_
#define LINPROB_DISTRIBUTIONS_SCALED_LAW_H_

#include <cstddef>
#include <vector>

#include "distributions/sum_law.h"

namespace linprob {

namespace scaled_law {
inline constexpr double kUnit = 0x1p-53;  // the unit roundoff of a double
// Slack on every bound computed in doubles: the bounds' own roundings are
// far below one per cent of them.
inline constexpr double kSlack = 1.01;
// The terms of the series of log sinc.
inline constexpr int kTerms = 24;
}  // namespace scaled_law

// The law in doubles, scaled, with what the scaling and rounding cost.
class ScaledLaw {
 public:
  // False when the law does not fit doubles.
  bool build(const SumLaw& law);

  std::size_t count() const { return parts_.size(); }
  double part(std::size_t j) const { return parts_[j]; }
  double center() const { return center_; }
  double scale() const { return scale_; }
  double shift() const { return shift_; }
  double density() const { return density_; }
  double partSum() const { return partSum_; }  // an upper bound
  // sum_{j >= k} g_j^2m, m = 1 ... kTerms + 1, computed.
  const double* powerSums(std::size_t k) const {
    return &powers_[k * (scaled_law::kTerms + 1)];
  }
  // The parts from the largest down that exceed limit / s: their count.
  std::size_t above(double limit, double s) const;
  // log prod_{j >= 1} G(g_j s), an upper bound to rounding.
  double logRestBound(double s) const;
  // log of the bound on the integral beyond s:
  // prod_{j > 0} G(g_j s) / (g_0 s).
  double logTailBound(double s) const;
  double logFirstBound(double s) const;

 private:
  void sumTables();

  std::vector<double> parts_;  // descending, scaled
  std::vector<double> powers_;
  std::vector<double> logPrefix_;
  double center_ = 0.0;
  double scale_ = 1.0;
  double shift_ = 0.0;
  double density_ = 0.0;
  double partSum_ = 0.0;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SCALED_LAW_H_
