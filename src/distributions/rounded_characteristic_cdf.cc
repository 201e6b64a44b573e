#include "distributions/rounded_characteristic_cdf.h"

#include <arb_hypgeom.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <vector>

#include "distributions/scaled_law.h"

namespace linprob {
namespace {

using scaled_law::kSlack;
using scaled_law::kTerms;
using scaled_law::kUnit;
constexpr double kLibm = 4.0 * kUnit;  // 2 ulp, relative
constexpr int kNodes = 32;
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
