#include "distributions/scaled_law.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace linprob {

using scaled_law::kSlack;
using scaled_law::kTerms;
using scaled_law::kUnit;

bool ScaledLaw::build(const SumLaw& law) {
  const bool triangular = law.shape == EntryShape::kTriangular;
  std::vector<double> halves;
  halves.reserve(law.halfWidths.size());
  double largestLow = 0.0;
  shift_ = 0.0;
  for (const Ball& h : law.halfWidths) {
    const double mid = arf_get_d(arb_midref(h.get()), ARF_RND_NEAR);
    const double moved =
        mag_get_d(arb_radref(h.get())) + kUnit * std::fabs(mid);
    if (!std::isfinite(mid) || !std::isfinite(moved)) return false;
    shift_ += moved;
    largestLow = std::max(largestLow, mid - moved);
    halves.push_back(mid);
  }
  if (halves.empty() || !(largestLow > 0.0)) return false;
  center_ = arf_get_d(arb_midref(law.center.get()), ARF_RND_NEAR);
  shift_ += mag_get_d(arb_radref(law.center.get())) +
            kUnit * std::fabs(center_);
  shift_ *= kSlack * (1.0 + 2.0 * halves.size() * kUnit);
  density_ = (triangular ? 1.0 : 0.5) / largestLow * kSlack;
  std::sort(halves.begin(), halves.end(), std::greater<>());
  // The scale: a power of two that puts the largest part in [1, 2).
  int exponent = 0;
  std::frexp(triangular ? halves[0] / 2.0 : halves[0], &exponent);
  scale_ = std::ldexp(1.0, exponent - 1);
  parts_.clear();
  for (const double h : halves) {
    const double g = triangular ? h / 2.0 : h;
    parts_.push_back(g / scale_);
    if (triangular) parts_.push_back(g / scale_);
  }
  if (!std::isfinite(center_) || !std::isfinite(shift_)) return false;
  sumTables();
  return true;
}

std::size_t ScaledLaw::above(double limit, double s) const {
  const auto it = std::partition_point(
      parts_.begin(), parts_.end(),
      [&](double g) { return g * s > limit; });
  return static_cast<std::size_t>(it - parts_.begin());
}

double ScaledLaw::logRestBound(double s) const {
  const std::size_t big = std::max<std::size_t>(above(2.0, s), 1);
  const double logs = logPrefix_[big] - logPrefix_[1];
  const double rest = powerSums(big)[0];
  return -logs - static_cast<double>(big - 1) * std::log(s) -
         s * s / 6.0 * rest;
}

double ScaledLaw::logTailBound(double s) const {
  return logRestBound(s) - std::log(parts_[0] * s);
}

double ScaledLaw::logFirstBound(double s) const {
  const double x = parts_[0] * s;
  return x > 2.0 ? -std::log(x) : -x * x / 6.0;
}

void ScaledLaw::sumTables() {
  const std::size_t n = parts_.size();
  constexpr std::size_t kWidth = kTerms + 1;
  powers_.assign((n + 1) * kWidth, 0.0);
  for (std::size_t k = n; k-- > 0;) {
    const double square = parts_[k] * parts_[k];
    double power = square;
    for (std::size_t m = 0; m < kWidth; ++m) {
      powers_[k * kWidth + m] = powers_[(k + 1) * kWidth + m] + power;
      power = power * square;
    }
  }
  logPrefix_.assign(n + 1, 0.0);
  partSum_ = 0.0;
  for (std::size_t j = 0; j < n; ++j) {
    logPrefix_[j + 1] = logPrefix_[j] + std::log(parts_[j]);
    partSum_ += parts_[j];
  }
  partSum_ *= kSlack * (1.0 + static_cast<double>(n) * kUnit);
}

}  // namespace linprob
