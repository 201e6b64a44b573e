#include "linear/exact_rows.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "linear/ball_rounding.h"
#include "linear/dyadic_form.h"
#include "linear/flint_handles.h"

namespace linprob {

using boost::multiprecision::cpp_int;

double exactRowSeconds(unsigned n, std::size_t rows) {
  // 0.7 s for one row at n = 300, cubic in n; each further row 0.4 more.
  const double size = static_cast<double>(n) / 300.0;
  const double extra = rows > 0 ? 0.4 * static_cast<double>(rows - 1) : 0.0;
  return 0.7 * size * size * size * (1.0 + extra);
}

std::optional<ExactRows> ExactRows::compute(
    unsigned n, const std::vector<double>& matrixRowMajor,
    const std::vector<unsigned>& rows) {
  // A = D M with D = diag(2^e_r) and M integer: row i of A^-1 is z^T with
  // A^T z = e_i, that is M^T (D z) = e_i; Dixon gives D z = W / den.
  if (n == 0) return std::nullopt;
  std::vector<std::int64_t> rowExponents(n, 0);
  std::vector<DyadicNumber> parts(matrixRowMajor.size());
  for (unsigned r = 0; r < n; ++r) {
    std::int64_t lowest = LLONG_MAX;
    for (unsigned c = 0; c < n; ++c) {
      const std::size_t k = std::size_t{r} * n + c;
      parts[k] = dyadicOf(matrixRowMajor[k]);
      if (parts[k].mantissa != 0) lowest = std::min(lowest, parts[k].exponent);
    }
    if (lowest == LLONG_MAX) return std::nullopt;  // a zero row
    rowExponents[r] = lowest;
  }
  FmpzMatrix transposed(n, n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) {
      const DyadicNumber& d = parts[std::size_t{r} * n + c];
      fmpz* entry = transposed.at(c, r);
      fmpz_set_si(entry, d.mantissa);
      fmpz_mul_2exp(entry, entry, static_cast<ulong>(d.exponent - rowExponents[r]));
    }
  }
  const std::size_t count = rows.size();
  FmpzMatrix units(n, std::max<std::size_t>(count, 1));
  for (std::size_t k = 0; k < count; ++k) fmpz_one(units.at(rows[k], k));
  FmpzMatrix solution(n, std::max<std::size_t>(count, 1));
  Fmpz den;
  if (fmpz_mat_solve_dixon_den(solution.get(), den.get(), transposed.get(),
                               units.get()) == 0) {
    return std::nullopt;
  }
  // (A^-1)(i, j) = W_j 2^-e_j / den: over the common power 2^-top with top
  // the largest e_j, every numerator W_j 2^(top - e_j) is an integer.
  const std::int64_t top =
      *std::max_element(rowExponents.begin(), rowExponents.end());
  ExactRows result;
  result.n_ = n;
  result.rows_ = rows;
  result.numerators_.resize(count * n);
  const bool negative = fmpz_sgn(den.get()) < 0;
  for (std::size_t k = 0; k < count; ++k) {
    for (unsigned j = 0; j < n; ++j) {
      cpp_int value = toCppInt(solution.at(j, k));
      value <<= static_cast<unsigned>(top - rowExponents[j]);
      result.numerators_[k * n + j] = negative ? cpp_int(-value) : value;
    }
  }
  cpp_int denominator = abs(toCppInt(den.get()));
  // value = N / den * 2^-top: a negative top multiplies the numerators, a
  // positive one the denominator.
  if (top > 0) {
    denominator <<= static_cast<unsigned>(top);
  } else if (top < 0) {
    for (cpp_int& v : result.numerators_) v <<= static_cast<unsigned>(-top);
  }
  result.denominator_ = std::move(denominator);
  return result;
}

}  // namespace linprob
