#include "linear/correlated_variance.h"


#include "linear/ball.h"

namespace linprob {

void correlatedVariance(arb_t out, arb_srcptr w, std::size_t n,
                        const std::vector<double>& r, slong precision) {
  Ball row;   // (R w)_j
  Ball term;  // R_jl, exactly
  arb_zero(out);
  for (std::size_t j = 0; j < n; ++j) {
    arb_zero(row.get());
    for (std::size_t l = 0; l < n; ++l) {
      const double rjl = r[j * n + l];
      if (rjl == 0.0) continue;
      arb_set_d(term.get(), rjl);
      arb_addmul(row.get(), term.get(), w + l, precision);
    }
    arb_addmul(out, row.get(), w + j, precision);
  }
}

}  // namespace linprob
