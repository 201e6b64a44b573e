#include "distributions/characteristic_cdf.h"

#include <acb.h>
#include <acb_calc.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace linprob {
namespace {

// Gauss-Legendre evaluations one integral may spend before it gives up, and
// the half-periods of sin(t y) psi(t) over [0, T] beyond which it is not
// tried at all (a few tens of evaluations each).
constexpr slong kEvaluationBudget = 200000;
constexpr double kMaxHalfPeriods = 4000.0;

struct Integrand {
  const SumLaw* law;
  arb_srcptr offset;  // y = x - center
  bool triangular;
};

// sin(t y) / t * psi(t) = y sinc(t y) psi(t): entire in t, so the order
// (holomorphy) requests of the integrator need no check.
int integrand(acb_ptr out, const acb_t t, void* param, slong /*order*/,
              slong precision) {
  const Integrand& f = *static_cast<const Integrand*>(param);
  acb_t u;
  acb_t part;
  acb_init(u);
  acb_init(part);
  acb_mul_arb(u, t, f.offset, precision);
  acb_sinc(out, u, precision);
  acb_mul_arb(out, out, f.offset, precision);
  for (const Ball& h : f.law->halfWidths) {
    acb_mul_arb(u, t, h.get(), precision);
    if (f.triangular) acb_mul_2exp_si(u, u, -1);
    acb_sinc(part, u, precision);
    if (f.triangular) acb_sqr(part, part, precision);
    acb_mul(out, out, part, precision);
  }
  acb_clear(part);
  acb_clear(u);
  return 0;
}

// The truncation point T: the smallest over the sets L of largest parts of
// (B / (R pi bound))^(1/R), chosen in doubles (any T is sound; the bound is
// then computed in Arb for the T chosen).
struct Truncation {
  double t = std::numeric_limits<double>::infinity();
  std::size_t parts = 0;  // L = the `parts` largest
};

Truncation chooseTruncation(const std::vector<double>& sortedHalfWidths,
                            double order, double bound) {
  Truncation best;
  double logB = 0.0;
  double r = 0.0;
  const double beta = order == 1.0 ? 1.0 : 2.0;
  for (std::size_t l = 0; l < sortedHalfWidths.size(); ++l) {
    if (!(sortedHalfWidths[l] > 0.0)) break;
    logB += order * std::log(beta / sortedHalfWidths[l]);
    r += order;
    const double logT = (logB - std::log(r * std::numbers::pi * bound)) / r;
    const double t = std::exp(logT);
    if (t < best.t) best = Truncation{t, l + 1};
  }
  return best;
}

// An upper bound of the tail beyond T: B / (R T^R) / pi over the parts in
// `order` of positive half-width.
void tailBound(const std::vector<const Ball*>& parts, double order, double t,
               slong precision, arb_t out) {
  Ball beta;
  Ball tBall(t);
  arb_one(out);
  ulong r = 0;
  for (const Ball* h : parts) {
    arb_set_si(beta.get(), order == 1.0 ? 1 : 2);
    arb_div(beta.get(), beta.get(), h->get(), precision);
    arb_div(beta.get(), beta.get(), tBall.get(), precision);
    arb_pow_ui(beta.get(), beta.get(), static_cast<ulong>(order), precision);
    arb_mul(out, out, beta.get(), precision);
    r += static_cast<ulong>(order);
  }
  Ball pi;
  arb_const_pi(pi.get(), precision);
  arb_div_ui(out, out, r, precision);
  arb_div(out, out, pi.get(), precision);
}

}  // namespace

bool characteristicCdf(const SumLaw& law, arb_srcptr points, std::size_t count,
                       double tolerance, slong precision, arb_ptr out) {
  if (law.shape == EntryShape::kNormal) {
    throw std::invalid_argument("characteristic cdf: normal law");
  }
  const bool triangular = law.shape == EntryShape::kTriangular;
  const double order = triangular ? 2.0 : 1.0;

  // The parts of certainly positive half-width, largest first.
  std::vector<const Ball*> positive;
  for (const Ball& h : law.halfWidths) {
    if (arb_is_positive(h.get())) positive.push_back(&h);
  }
  std::sort(positive.begin(), positive.end(), [](const Ball* a, const Ball* b) {
    return arf_cmp(arb_midref(a->get()), arb_midref(b->get())) > 0;
  });
  std::vector<double> sorted;
  sorted.reserve(positive.size());
  for (const Ball* h : positive) {
    sorted.push_back(arf_get_d(arb_midref(h->get()), ARF_RND_DOWN));
  }
  const Truncation truncation =
      chooseTruncation(sorted, order, tolerance / 4.0);

  Ball tail;
  Ball pi;
  arb_const_pi(pi.get(), precision);
  const bool finiteT = std::isfinite(truncation.t);
  if (finiteT) {
    positive.resize(truncation.parts);
    tailBound(positive, order, truncation.t, precision, tail.get());
  }

  acb_calc_integrate_opt_t options;
  acb_calc_integrate_opt_init(options);
  options->eval_limit = kEvaluationBudget;
  mag_t absolute;
  mag_init(absolute);
  mag_set_d(absolute, tolerance / 4.0);
  acb_t lower;
  acb_t upper;
  acb_t integral;
  acb_init(lower);
  acb_init(upper);
  acb_init(integral);
  acb_set_d(upper, truncation.t);

  bool reached = true;
  Ball offset;
  Ball half(0.5);
  for (std::size_t k = 0; k < count; ++k) {
    if (cdfOutsideParts(law, points + k, precision, out + k)) continue;
    if (!finiteT) {
      arb_indeterminate(out + k);
      reached = false;
      continue;
    }
    arb_sub(offset.get(), points + k, law.center.get(), precision);
    const double frequency =
        std::fabs(arf_get_d(arb_midref(offset.get()), ARF_RND_UP)) +
        arf_get_d(arb_midref(law.supportHalfWidth.get()), ARF_RND_UP);
    if (!(truncation.t * frequency / std::numbers::pi <= kMaxHalfPeriods)) {
      arb_indeterminate(out + k);
      reached = false;
      continue;
    }
    Integrand f{&law, offset.get(), triangular};
    acb_calc_integrate(integral, integrand, &f, lower, upper, 50, absolute,
                       options, precision);
    // F = 1/2 + (integral +- tail) / pi.
    arb_set(out + k, acb_realref(integral));
    arb_add_error(out + k, tail.get());
    arb_div(out + k, out + k, pi.get(), precision);
    arb_add(out + k, out + k, half.get(), precision);
    if (!(mag_get_d(arb_radref(out + k)) <= tolerance)) reached = false;
  }
  acb_clear(integral);
  acb_clear(upper);
  acb_clear(lower);
  mag_clear(absolute);
  return reached;
}

}  // namespace linprob
