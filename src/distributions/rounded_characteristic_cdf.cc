#include "distributions/rounded_characteristic_cdf.h"

#include <arb_hypgeom.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <vector>

namespace linprob {
namespace {

constexpr double kUnit = 0x1p-53;  // the unit roundoff of a double
// Slack on every bound computed in doubles: the bounds' own roundings are
// far below one per cent of them.
constexpr double kSlack = 1.01;
constexpr double kLibm = 4.0 * kUnit;  // 2 ulp, relative
constexpr int kNodes = 32;
constexpr int kTerms = 24;
constexpr double kSeriesLimit = 1.5;
constexpr double kPanelPhase = 32.0;
constexpr double kRho = 4.0;
constexpr double kMaxPanels = 20000.0;
constexpr double kMaxWork = 2e7;  // nodes times points: 0.3 s at most
constexpr double kTiny = 1e-300;  // covers any underflow of a product

// The Gauss-Legendre rule on [-1, 1], the series' coefficients
// c_m = zeta(2m) / (m pi^2m) for m = 1 ... kTerms + 1, and pi: each the
// double nearest to its Arb ball (relative error at most kUnit).
struct Constants {
  double nodes[kNodes];
  double weights[kNodes];
  double series[kTerms + 2];  // index m
  double pi;
};

Constants makeConstants() {
  Constants c{};
  constexpr slong kPrecision = 128;
  Ball node;
  Ball weight;
  for (int i = 0; i < kNodes; ++i) {
    arb_hypgeom_legendre_p_ui_root(node.get(), weight.get(), kNodes,
                                   static_cast<ulong>(i), kPrecision);
    c.nodes[i] = arf_get_d(arb_midref(node.get()), ARF_RND_NEAR);
    c.weights[i] = arf_get_d(arb_midref(weight.get()), ARF_RND_NEAR);
  }
  Ball pi;
  arb_const_pi(pi.get(), kPrecision);
  c.pi = arf_get_d(arb_midref(pi.get()), ARF_RND_NEAR);
  Ball value;
  Ball power;
  for (int m = 1; m <= kTerms + 1; ++m) {
    arb_zeta_ui(value.get(), static_cast<ulong>(2 * m), kPrecision);
    arb_pow_ui(power.get(), pi.get(), static_cast<ulong>(2 * m), kPrecision);
    arb_mul_ui(power.get(), power.get(), static_cast<ulong>(m), kPrecision);
    arb_div(value.get(), value.get(), power.get(), kPrecision);
    c.series[m] = arf_get_d(arb_midref(value.get()), ARF_RND_NEAR);
  }
  return c;
}

const Constants& constants() {
  static const Constants c = makeConstants();
  return c;
}

// The law in doubles, scaled, with what the scaling and rounding cost.
class ScaledLaw {
 public:
  // False when the law does not fit doubles.
  bool build(const SumLaw& law) {
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

  std::size_t count() const { return parts_.size(); }
  double part(std::size_t j) const { return parts_[j]; }
  double center() const { return center_; }
  double scale() const { return scale_; }
  double shift() const { return shift_; }
  double density() const { return density_; }
  double partSum() const { return partSum_; }  // an upper bound
  // sum_{j >= k} g_j^2m, m = 1 ... kTerms + 1, computed.
  const double* powerSums(std::size_t k) const {
    return &powers_[k * (kTerms + 1)];
  }
  // The parts from the largest down that exceed limit / s: their count.
  std::size_t above(double limit, double s) const {
    const auto it = std::partition_point(
        parts_.begin(), parts_.end(),
        [&](double g) { return g * s > limit; });
    return static_cast<std::size_t>(it - parts_.begin());
  }
  // log prod_{j >= 1} G(g_j s), an upper bound to rounding.
  double logRestBound(double s) const {
    const std::size_t big = std::max<std::size_t>(above(2.0, s), 1);
    const double logs = logPrefix_[big] - logPrefix_[1];
    const double rest = powerSums(big)[0];
    return -logs - static_cast<double>(big - 1) * std::log(s) -
           s * s / 6.0 * rest;
  }
  // log of the bound on the integral beyond s:
  // prod_{j > 0} G(g_j s) / (g_0 s).
  double logTailBound(double s) const {
    return logRestBound(s) - std::log(parts_[0] * s);
  }
  double logFirstBound(double s) const {
    const double x = parts_[0] * s;
    return x > 2.0 ? -std::log(x) : -x * x / 6.0;
  }

 private:
  void sumTables() {
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

  std::vector<double> parts_;  // descending, scaled
  std::vector<double> powers_;
  std::vector<double> logPrefix_;
  double center_ = 0.0;
  double scale_ = 1.0;
  double shift_ = 0.0;
  double density_ = 0.0;
  double partSum_ = 0.0;
};

// One node of the rule with what its term needs: v = w psi(s) / s, and
// the factor of |sin(s y)| in a point's error bound (the bound on
// |v - exact|, the sine's and the sum's roundings). What the node's own
// error d does to the sine's argument is summed apart, as (|v| + eV) d,
// and taken |y| times.
struct Node {
  double s;
  double v;
  double coefficient;
};

class Integral {
 public:
  Integral(const ScaledLaw& law, double reach, double largestOffset)
      : law_(law), reach_(reach), largestOffset_(largestOffset) {}

  // False when the panels needed are too many.
  bool prepare(std::size_t points) {
    const double frequency = law_.partSum() + largestOffset_;
    const double panels = std::ceil(reach_ * frequency / kPanelPhase);
    if (!(panels <= kMaxPanels) ||
        !(panels * kNodes * static_cast<double>(points) <= kMaxWork)) {
      return false;
    }
    panels_ = static_cast<std::size_t>(std::max(panels, 1.0));
    half_ = std::nextafter(reach_ / (2.0 * static_cast<double>(panels_)),
                           std::numeric_limits<double>::infinity());
    nodes_.clear();
    nodes_.reserve(panels_ * kNodes);
    const double total = static_cast<double>(panels_ * kNodes);
    argumentSum_ = 0.0;
    for (std::size_t p = 0; p < panels_; ++p) {
      for (int i = 0; i < kNodes; ++i) addNode(p, i, total);
    }
    return true;
  }

  // The integral for offset y, and a bound on its error (the quadrature's
  // and the roundings'; not the tail's).
  void at(double y, double& value, double& error) const {
    double sum = 0.0;
    double bound = 0.0;
    for (const Node& node : nodes_) {
      const double angle = node.s * y;
      const double sine = std::sin(angle);
      const double term = node.v * sine;
      sum = sum + term;
      bound = bound + node.coefficient * std::fabs(sine);
    }
    const double magnitude = std::fabs(y);
    // |integrand| <= |y| exp(|Im z| (|y| + sum g)) on each panel's ellipse.
    const double beta = (kRho - 1.0 / kRho) / 2.0;
    const double largest =
        magnitude * std::exp(half_ * beta * (magnitude + law_.partSum()));
    const double factor = 64.0 / 15.0 * 0x1p-124 / (kRho * kRho - 1.0);
    const double quadrature =
        static_cast<double>(panels_) * half_ * factor * largest;
    value = sum;
    error = (bound + magnitude * argumentSum_ + quadrature) * kSlack;
  }

 private:
  void addNode(std::size_t p, int i, double total) {
    const Constants& c = constants();
    const double middle = static_cast<double>(2 * p + 1) * half_;
    const double offset = half_ * c.nodes[i];
    const double s = middle + offset;
    const double w = half_ * c.weights[i];
    // |s - exact node|: the rule's node, the product, the middle, the sum.
    const double ds =
        kUnit * (2.0 * half_ * static_cast<double>(2 * p + 2) + s) * kSlack;

    // The parts beyond the series' reach, multiplied out.
    const std::size_t big = law_.above(kSeriesLimit, s);
    double product = 1.0;
    double productError = 0.0;
    for (std::size_t j = 0; j < big; ++j) {
      const double x = law_.part(j) * s;
      const double a = std::sin(x) / x;
      // x rounded (u x), sin (2 ulp), the quotient: with x > 1.5.
      const double aError = 2.0 * kUnit + 8.0 * kUnit * std::fabs(a);
      const double next = product * a;
      productError = std::fabs(product) * aError +
                     (std::fabs(a) + aError) * productError +
                     kUnit * std::fabs(next);
      product = next;
    }

    // The others through the series of log sinc, by Horner in s^2.
    double series = 1.0;
    double seriesError = 0.0;
    if (big < law_.count()) {
      const Constants& k = constants();
      const double* q = law_.powerSums(big);
      const double square = s * s;
      double acc = k.series[kTerms] * q[kTerms - 1];
      for (int m = kTerms - 1; m >= 1; --m) {
        const double term = k.series[m] * q[m - 1];
        const double scaled = square * acc;
        acc = term + scaled;
      }
      const double log = -(square * acc);
      // Powers g^2m that underflowed leave out at most (g s)^2m c_m with
      // g^2m < 2^-1022 and s^2m < 1e290: below 1e-35 a part.
      // The next term over 1 - q bounds the rest of the series.
      double power = square;
      for (int m = 1; m <= kTerms; ++m) power = power * square;
      const double ratio = law_.part(big) * s / k.pi;
      const double rest = k.series[kTerms + 1] * power * q[kTerms] /
                          (1.0 - ratio * ratio * kSlack) * kSlack;
      const double logError =
          static_cast<double>(law_.count() + 6 * kTerms + 12) * kUnit *
              std::fabs(log) * kSlack +
          rest + static_cast<double>(law_.count()) * 1e-35;
      series = std::exp(log);
      seriesError = series * (std::expm1(logError) + kLibm) * kSlack;
    }
    const double psi = product * series;
    const double psiError = std::fabs(product) * seriesError +
                            productError * (series + seriesError) +
                            kUnit * std::fabs(psi) + kTiny;

    // Bounds of |psi| and |psi'| / sum g over the node's neighbourhood.
    const double low = s * (1.0 - 8.0 * kUnit);
    const double rest = std::exp(law_.logRestBound(low)) * kSlack + kTiny;
    const double whole =
        std::exp(law_.logRestBound(low) + law_.logFirstBound(low)) * kSlack +
        kTiny;
    const double slope = law_.partSum() * rest;

    const double weighted = w * psi;
    const double v = weighted / s;
    const double weightedError = 2.01 * kUnit * std::fabs(weighted) +
                                 w * (1.0 + 3.0 * kUnit) *
                                     (psiError + ds * slope);
    const double vError =
        ((weightedError + kUnit * std::fabs(weighted)) / s +
         w * (1.0 + 3.0 * kUnit) * whole * ds / (s * (s - ds)) +
         kUnit * std::fabs(v)) *
        kSlack;
    const double magnitude = std::fabs(v);
    const double argument = ds + kUnit * s;
    argumentSum_ += (magnitude + vError) * argument;
    Node node;
    node.s = s;
    node.v = v;
    node.coefficient = (vError + kLibm * (magnitude + vError) +
                        kUnit * magnitude + (total + 1.0) * kUnit * magnitude) *
                       kSlack;
    nodes_.push_back(node);
  }

  const ScaledLaw& law_;
  double reach_;
  double largestOffset_;
  std::size_t panels_ = 0;
  double half_ = 0.0;  // of a panel
  double argumentSum_ = 0.0;
  std::vector<Node> nodes_;
};

// The least T (about) with prod_{j > 0} G(g_j T) / (g_0 T) <= target.
double reachFor(const ScaledLaw& law, double target) {
  const double logTarget = std::log(target);
  auto tail = [&](double s) { return law.logTailBound(s); };
  double high = 1.0;
  int doublings = 0;
  while (!(tail(high) <= logTarget)) {
    if (++doublings > 80) return std::numeric_limits<double>::infinity();
    high *= 2.0;
  }
  double low = high / 2.0;
  for (int i = 0; i < 40; ++i) {
    const double middle = (low + high) / 2.0;
    if (tail(middle) <= logTarget) {
      high = middle;
    } else {
      low = middle;
    }
  }
  return high;
}

}  // namespace

bool roundedCharacteristicCdf(const SumLaw& law, arb_srcptr points,
                              std::size_t count, double tolerance,
                              slong precision, arb_ptr out) {
  if (law.shape == EntryShape::kNormal) {
    throw std::invalid_argument("rounded characteristic cdf: normal law");
  }
  std::vector<std::size_t> inside;
  for (std::size_t k = 0; k < count; ++k) {
    if (!cdfOutsideParts(law, points + k, precision, out + k)) {
      inside.push_back(k);
    }
  }
  if (inside.empty()) return true;
  ScaledLaw scaled;
  bool built = scaled.build(law);
  std::vector<double> offsets;
  double largestOffset = 0.0;
  for (const std::size_t k : inside) {
    const double x = arf_get_d(arb_midref(points + k), ARF_RND_NEAR);
    // Scaling by a power of two is exact.
    const double y = (x - scaled.center()) / scaled.scale();
    offsets.push_back(y);
    largestOffset = std::max(largestOffset, std::fabs(y));
    if (!std::isfinite(y)) built = false;
  }
  const Constants& c = constants();
  const double tailTarget = tolerance * c.pi / 8.0;
  const double reach = built ? reachFor(scaled, tailTarget)
                             : std::numeric_limits<double>::infinity();
  Integral integral(scaled, reach, largestOffset);
  if (!std::isfinite(reach) || !integral.prepare(inside.size())) {
    for (const std::size_t k : inside) arb_indeterminate(out + k);
    return false;
  }
  const double tail =
      std::exp(scaled.logTailBound(reach)) * kSlack;
  bool reached = true;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    const double y = offsets[i];
    double value = 0.0;
    double error = 0.0;
    integral.at(y, value, error);
    const double quotient = value / c.pi;
    const double f = 0.5 + quotient;
    const double moved = scaled.shift() + 2.0 * kUnit * std::fabs(y) *
                                              scaled.scale();
    const double bound =
        ((error + tail) / c.pi + 2.0 * kUnit * std::fabs(quotient) +
         kUnit * std::fabs(f) + scaled.density() * moved) *
        kSlack;
    arb_ptr ball = out + inside[i];
    arb_set_d(ball, f);
    Ball radius(bound);
    arb_add_error(ball, radius.get());
    if (!(bound <= tolerance)) reached = false;
  }
  return reached;
}

}  // namespace linprob
