// ExactInverse: the inverse of a square matrix of doubles, computed without
// rounding, as integer numerators over one positive common denominator:
// (A^-1)(i, j) = numerator(i, j) / denominator().
//
// Method. Each row, then each column, is scaled by a power of two so that
// the matrix becomes an integer matrix A' = R A C (R, C diagonal powers of
// two, so A^-1 = C A'^-1 R exactly). The determinant and the adjugate of A'
// are found modulo enough 62-bit primes to exceed twice Hadamard's bound on
// every minor (|minor| <= product of the row norms), Gauss-Jordan modulo
// each prime, and rebuilt by the Chinese remainder theorem (mixed-radix
// form) in the symmetric range. Primes that divide the determinant are
// skipped; once the skipped ones alone exceed the bound the determinant is 0
// and the matrix singular. This costs O(n^3) word operations per prime and
// about n^2 (bits/61)^2 for the reconstruction; fraction-free (Bareiss)
// elimination on the same integers, measured as the alternative, took about
// thirty times as long at n = 64 (5 s against 0.17 s).
//
// Cost grows with n and with the spread of binary exponents inside the rows
// and columns (it sets the size of the integers): kMaxExactSize is the
// largest n the program attempts, chosen from bench/exact_inverse_benchmark:
// at n = 64, entries with 53-bit mantissas spread over 12 decades take
// 0.17 s, over 60 decades 0.9 s, over 200 decades 7 s; n = 96 and n = 128
// take 0.8 s and 2.7 s at 12 decades. compute() itself has no size limit:
// the caller compares n with kMaxExactSize.
//
// Input: n and the n * n entries row by row, all finite (std::invalid_argument
// otherwise, messages in compute()). No state is shared; any number of
// threads may compute and read inverses.
#ifndef LINPROB_LINEAR_EXACT_INVERSE_H_
#define LINPROB_LINEAR_EXACT_INVERSE_H_

#include <cstddef>
#include <optional>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

namespace linprob {

inline constexpr unsigned kMaxExactSize = 64;

class ExactInverse {
 public:
  // The inverse, or std::nullopt for a singular matrix. Refused input:
  //   "exact inverse: the matrix holds 3 numbers, not 4"
  //   "exact inverse: matrix entry 5 is not finite"   (row-major index)
  static std::optional<ExactInverse> compute(
      unsigned n, const std::vector<double>& matrixRowMajor);

  unsigned size() const { return n_; }
  const boost::multiprecision::cpp_int& numerator(unsigned row,
                                                  unsigned column) const {
    return numerators_[static_cast<std::size_t>(row) * n_ + column];
  }
  // Positive; shared by every entry (the fractions are not reduced).
  const boost::multiprecision::cpp_int& denominator() const {
    return denominator_;
  }
  // One entry as a reduced fraction.
  boost::multiprecision::cpp_rational entry(unsigned row,
                                            unsigned column) const;

 private:
  ExactInverse() = default;

  unsigned n_ = 0;
  std::vector<boost::multiprecision::cpp_int> numerators_;  // row-major
  boost::multiprecision::cpp_int denominator_;
};

}  // namespace linprob

#endif  // LINPROB_LINEAR_EXACT_INVERSE_H_
