// ExactRows: chosen rows of the inverse of a square matrix of doubles,
// computed without rounding, as integer numerators over one positive common
// denominator: (A^-1)(rows[k], j) = numerator(k, j) / denominator().
//
// The last resort of the certified references (linear/certified_reference.h)
// where an enclosure cannot decide a rounding (a value that is exactly a
// double, or exactly half-way between two), and the exact path the certified
// one is tested against. Each row i solves A^T z = e_i by FLINT's p-adic
// (Dixon) solver on the matrix scaled to integers by a power of two per
// row; one call for all the rows asked for. Cost (measured on the
// development machine): about 15 ms for one row at n = 64, 0.06 s at
// n = 128, 0.7 s at n = 300, each further row about 0.4 times the first;
// every row at n = 64 0.5 s. The call cannot be interrupted:
// exactRowSeconds() estimates it beforehand.
//
// Input: n and the n * n entries row by row, all finite (the caller checks);
// rows below n. No state is shared.
#ifndef LINPROB_LINEAR_EXACT_ROWS_H_
#define LINPROB_LINEAR_EXACT_ROWS_H_

#include <cstddef>
#include <optional>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

namespace linprob {

// The largest n whose every row the exact path computes for any request
// (about half a second at n = 64).
inline constexpr unsigned kMaxExactSize = 64;

// The estimated seconds of compute() for `rows` rows of an n * n matrix.
double exactRowSeconds(unsigned n, std::size_t rows);

class ExactRows {
 public:
  // std::nullopt for a singular matrix.
  static std::optional<ExactRows> compute(
      unsigned n, const std::vector<double>& matrixRowMajor,
      const std::vector<unsigned>& rows);

  unsigned size() const { return n_; }
  const std::vector<unsigned>& rows() const { return rows_; }
  const boost::multiprecision::cpp_int& numerator(std::size_t k,
                                                  unsigned column) const {
    return numerators_[k * n_ + column];
  }
  // Positive; shared by every entry (the fractions are not reduced).
  const boost::multiprecision::cpp_int& denominator() const {
    return denominator_;
  }

 private:
  ExactRows() = default;

  unsigned n_ = 0;
  std::vector<unsigned> rows_;
  std::vector<boost::multiprecision::cpp_int> numerators_;  // [k][column]
  boost::multiprecision::cpp_int denominator_;
};

}  // namespace linprob

#endif  // LINPROB_LINEAR_EXACT_ROWS_H_
