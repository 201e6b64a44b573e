#include "distributions/characteristic_cdf.h"

#include <acb.h>
#include <arb_hypgeom.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace linprob {
namespace {

// Gauss-Legendre points per panel, and the Bernstein ellipse (parameter
// rho) its error bound is taken on: for f analytic inside the ellipse with
// |f| <= M there, the N-point rule on [a, b] errs by at most
//   (b - a) / 2 * 64/15 * M * rho^(-2(N - 1)) / (rho^2 - 1)
// (Trefethen, "Is Gauss quadrature better than Clenshaw-Curtis?", 2008,
// Theorem 4.5, with one point fewer than the rule has, to be safe).
constexpr ulong kNodes = 32;
constexpr double kRho = 4.0;
// The first panel width: this many radians of the fastest oscillation,
// halved until every point's bound fits; beyond kMaxPanels panels, or
// kHalvings halvings, the integral is not tried (too costly).
constexpr double kPanelPhase = 32.0;
constexpr int kHalvings = 6;
constexpr double kMaxPanels = 4000.0;

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

// An upper bound of the tail beyond T: B / (R T^R) / pi over `parts`.
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

// psi(t) for real t, and on a complex box.
void psiAt(const SumLaw& law, bool triangular, const arb_t t, slong precision,
           arb_t out) {
  Ball u;
  arb_one(out);
  for (const Ball& h : law.halfWidths) {
    arb_mul(u.get(), t, h.get(), precision);
    if (triangular) arb_mul_2exp_si(u.get(), u.get(), -1);
    arb_sinc(u.get(), u.get(), precision);
    if (triangular) arb_sqr(u.get(), u.get(), precision);
    arb_mul(out, out, u.get(), precision);
  }
}

void psiOn(const SumLaw& law, bool triangular, const acb_t z, slong precision,
           acb_t out) {
  acb_t u;
  acb_init(u);
  acb_one(out);
  for (const Ball& h : law.halfWidths) {
    acb_mul_arb(u, z, h.get(), precision);
    if (triangular) acb_mul_2exp_si(u, u, -1);
    acb_sinc(u, u, precision);
    if (triangular) acb_sqr(u, u, precision);
    acb_mul(out, out, u, precision);
  }
  acb_clear(u);
}

// The integrals of y_k sinc(t y_k) psi(t) over [0, T] for every offset y_k,
// each with its error bound added; false when the panels needed exceed
// kMaxPanels.
class PanelQuadrature {
 public:
  PanelQuadrature(const SumLaw& law, bool triangular, slong precision)
      : law_(law), triangular_(triangular), precision_(precision),
        nodes_(kNodes), weights_(kNodes) {
    for (ulong i = 0; i < kNodes; ++i) {
      arb_hypgeom_legendre_p_ui_root(nodes_[i], weights_[i], kNodes, i,
                                     precision);
    }
    // 64/15 rho^(-2(N-1)) / (rho^2 - 1), in Arb.
    Ball rho(kRho);
    arb_pow_ui(factor_.get(), rho.get(), 2 * (kNodes - 1), precision);
    Ball denominator;
    arb_sqr(denominator.get(), rho.get(), precision);
    arb_sub_ui(denominator.get(), denominator.get(), 1, precision);
    arb_mul(factor_.get(), factor_.get(), denominator.get(), precision);
    arb_mul_ui(factor_.get(), factor_.get(), 15, precision);
    arb_ui_div(factor_.get(), 64, factor_.get(), precision);
  }

  bool integrate(const BallVector& offsets, double t, double frequency,
                 BallVector& out) {
    double width = std::min(t, kPanelPhase / frequency);
    for (int attempt = 0; attempt <= kHalvings; ++attempt, width /= 2.0) {
      const double panels = std::ceil(t / width);
      if (!(panels <= kMaxPanels)) return false;
      if (sweep(offsets, t, static_cast<std::size_t>(panels), out)) {
        return true;
      }
    }
    return false;
  }

  double budget = 0.0;  // per offset, for the quadrature error

 private:
  // One pass over `panels` equal panels; false when some error bound
  // exceeds the budget.
  bool sweep(const BallVector& offsets, double t, std::size_t panels,
             BallVector& out) {
    const std::size_t count = offsets.size();
    for (std::size_t k = 0; k < count; ++k) arb_zero(out[k]);
    std::vector<double> errors(count, 0.0);
    Ball half;  // of a panel
    Ball mid;
    Ball node;
    Ball psi;
    Ball term;
    acb_t box;
    acb_t psiBox;
    acb_t value;
    acb_init(box);
    acb_init(psiBox);
    acb_init(value);
    arf_t bound;
    arf_init(bound);
    const double alpha = (kRho + 1.0 / kRho) / 2.0;
    const double beta = (kRho - 1.0 / kRho) / 2.0;
    for (std::size_t p = 0; p < panels; ++p) {
      // [a, b] = [p T / panels, (p + 1) T / panels].
      arb_set_d(half.get(), t);
      arb_div_ui(half.get(), half.get(), 2 * panels, precision_);
      arb_mul_ui(mid.get(), half.get(), 2 * p + 1, precision_);
      for (ulong i = 0; i < kNodes; ++i) {
        arb_mul(node.get(), half.get(), nodes_[i], precision_);
        arb_add(node.get(), node.get(), mid.get(), precision_);
        psiAt(law_, triangular_, node.get(), precision_, psi.get());
        arb_mul(psi.get(), psi.get(), weights_[i], precision_);
        arb_mul(psi.get(), psi.get(), half.get(), precision_);
        for (std::size_t k = 0; k < count; ++k) {
          arb_mul(term.get(), node.get(), offsets[k], precision_);
          arb_sinc(term.get(), term.get(), precision_);
          arb_mul(term.get(), term.get(), offsets[k], precision_);
          arb_addmul(out[k], term.get(), psi.get(), precision_);
        }
      }
      // The box around the panel's ellipse, and |f| on it.
      const double halfWidth = t / (2.0 * static_cast<double>(panels));
      arb_set(acb_realref(box), mid.get());
      mag_set_d(arb_radref(acb_realref(box)), halfWidth * alpha);
      arb_zero(acb_imagref(box));
      mag_set_d(arb_radref(acb_imagref(box)), halfWidth * beta);
      psiOn(law_, triangular_, box, precision_, psiBox);
      for (std::size_t k = 0; k < count; ++k) {
        acb_mul_arb(value, box, offsets[k], precision_);
        acb_sinc(value, value, precision_);
        acb_mul_arb(value, value, offsets[k], precision_);
        acb_mul(value, value, psiBox, precision_);
        acb_get_abs_ubound_arf(bound, value, 53);
        arb_set_arf(term.get(), bound);
        arb_mul(term.get(), term.get(), factor_.get(), precision_);
        arb_mul(term.get(), term.get(), half.get(), precision_);
        arb_get_ubound_arf(bound, term.get(), 53);
        errors[k] += arf_get_d(bound, ARF_RND_UP);
      }
    }
    arf_clear(bound);
    acb_clear(value);
    acb_clear(psiBox);
    acb_clear(box);
    bool within = true;
    Ball error;
    for (std::size_t k = 0; k < count; ++k) {
      if (!(errors[k] <= budget)) within = false;
      arb_set_d(error.get(), errors[k] * (1.0 + 1e-12));
      arb_add_error(out[k], error.get());
    }
    return within;
  }

  const SumLaw& law_;
  bool triangular_;
  slong precision_;
  BallVector nodes_;
  BallVector weights_;
  Ball factor_;
};

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

  // The points that need the integral, as offsets y = x - center.
  std::vector<std::size_t> inside;
  for (std::size_t k = 0; k < count; ++k) {
    if (!cdfOutsideParts(law, points + k, precision, out + k)) {
      inside.push_back(k);
    }
  }
  if (inside.empty()) return true;
  BallVector offsets(inside.size());
  double frequency = arf_get_d(arb_midref(law.supportHalfWidth.get()), ARF_RND_UP);
  double largestOffset = 0.0;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    arb_sub(offsets[i], points + inside[i], law.center.get(), precision);
    largestOffset = std::max(
        largestOffset, std::fabs(arf_get_d(arb_midref(offsets[i]), ARF_RND_UP)));
  }
  frequency += largestOffset;

  BallVector integrals(inside.size());
  bool reached = std::isfinite(truncation.t) && frequency > 0.0;
  if (reached) {
    PanelQuadrature quadrature(law, triangular, precision);
    quadrature.budget = tolerance * std::numbers::pi / 8.0;
    reached = quadrature.integrate(offsets, truncation.t, frequency, integrals);
  }
  if (!reached) {
    for (const std::size_t k : inside) arb_indeterminate(out + k);
    return false;
  }
  Ball tail;
  positive.resize(truncation.parts);
  tailBound(positive, order, truncation.t, precision, tail.get());
  Ball pi;
  arb_const_pi(pi.get(), precision);
  Ball half(0.5);
  for (std::size_t i = 0; i < inside.size(); ++i) {
    // F = 1/2 + integral / pi, the tail's bound (already over pi) added.
    arb_ptr value = out + inside[i];
    arb_div(value, integrals[i], pi.get(), precision);
    arb_add(value, value, half.get(), precision);
    arb_add_error(value, tail.get());
    if (!(mag_get_d(arb_radref(value)) <= tolerance)) reached = false;
  }
  return reached;
}

}  // namespace linprob
