#include "linear/copula_covariance.h"

#include <cstddef>
#include <stdexcept>

#include "linear/ball.h"

namespace linprob {

void copulaCovariance(CopulaCovariance law, const std::vector<double>& r,
                      const std::vector<EntryMoments>& entries,
                      slong precision, arb_ptr out) {
  if (law == CopulaCovariance::kNone) {
    throw std::invalid_argument("copula covariance: the law has none");
  }
  const std::size_t n = entries.size();
  // sd_i, and for the lognormal m_i and s_i.
  BallVector sd(n), mean(n), s(n);
  for (std::size_t i = 0; i < n; ++i) {
    setRational(sd[i], entries[i].variance, precision);
    setRational(mean[i], entries[i].mean, precision);
    if (law == CopulaCovariance::kLognormal) {
      // s^2 = log(1 + v / m^2).
      arb_sqr(s[i], mean[i], precision);
      arb_div(s[i], sd[i], s[i], precision);
      arb_log1p(s[i], s[i], precision);
      arb_sqrtpos(s[i], s[i], precision);
    }
    arb_sqrtpos(sd[i], sd[i], precision);
  }
  Ball rho, term, scale;
  if (law == CopulaCovariance::kUniform) {
    // 6 / pi.
    arb_const_pi(scale.get(), precision);
    arb_ui_div(scale.get(), 6, scale.get(), precision);
  }
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      arb_ptr c = out + i * n + j;
      arb_set_d(rho.get(), r[i * n + j]);
      switch (law) {
        case CopulaCovariance::kNormal:
          arb_set(term.get(), rho.get());
          arb_mul(c, sd[i], sd[j], precision);
          arb_mul(c, c, term.get(), precision);
          break;
        case CopulaCovariance::kUniform:
          arb_mul_2exp_si(term.get(), rho.get(), -1);
          arb_asin(term.get(), term.get(), precision);
          arb_mul(term.get(), term.get(), scale.get(), precision);
          arb_mul(c, sd[i], sd[j], precision);
          arb_mul(c, c, term.get(), precision);
          break;
        case CopulaCovariance::kLognormal:
          arb_mul(term.get(), s[i], s[j], precision);
          arb_mul(term.get(), term.get(), rho.get(), precision);
          arb_expm1(term.get(), term.get(), precision);
          arb_mul(c, mean[i], mean[j], precision);
          arb_mul(c, c, term.get(), precision);
          break;
        case CopulaCovariance::kNone:
          break;
      }
    }
  }
}

}  // namespace linprob
