// CertifiedInverse: a rigorous enclosure of the inverse of a square matrix
// of doubles, computed once per system and shared (read-only) by everything
// that needs A^-1: the system's references, its exact moments, and any later
// measure built on the inverse.
//
// Method. An approximate inverse X0 in double arithmetic
// (linear/approximate_inverse.h) starts a sum of terms S = X0 + X1 + ...;
// each term is a matrix of integers of at most 53 bits times a power of two
// per column, so S is known exactly. The residual R = I - A S is kept
// exactly, as integers times a power of two per row and per column, and
// updated by exact integer products (FLINT's fmpz_mat_mul, on slices of A
// of at most 61 bits so the products stay in machine words). Each new term
// is X0 times the residual rounded to doubles, which shrinks the residual by
// about the factor ||I - A X0|| (about kappa * 2^-53) per term.
//
// Certification. With beta >= ||R||inf (largest absolute row sum) below 1,
// every row a_i of A^-1 satisfies a_i = s_i + a_i R, so
//   ||a_i||1 <= ||s_i||1 / (1 - beta) =: rho_i   and
//   |A^-1(i, j) - S(i, j)| <= rho_i * gamma_j,  gamma_j = max_k |R(k, j)|,
// bounds computed with upward-rounded magnitudes (Arb's mag_t). When the
// residual is exactly zero, S is A^-1 itself and every radius is 0.
//
// Cost (measured, see docs/methods.md): O(n^3) per term; a well-conditioned
// matrix reaches kTargetResidualBits after two terms. Memory: the exact
// residual (about 50 bytes an entry), the terms (8 bytes an entry each) and
// three double matrices while computing. compute() and refine() look at
// `stop` between blocks of work of well under a second and return kStopped.
//
// Refused input (std::invalid_argument):
//   "certified inverse: the matrix holds 3 numbers, not 4"
//   "certified inverse: matrix entry 5 is not finite"   (row-major index)
//
// Threads: a CertifiedInverse is not modified by its const members, which
// any number of threads may call at once; refine() needs it to itself.
#ifndef LINPROB_LINEAR_CERTIFIED_INVERSE_H_
#define LINPROB_LINEAR_CERTIFIED_INVERSE_H_

#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

#include "linear/value_bounds.h"

namespace linprob {

// The residual the first computation aims at, ||R||inf <= 2^-80: enough to
// decide all but about one value in 2^27 (those within 2^-80 of a rounding
// boundary, relative to their row of A^-1), which then raise the precision.
inline constexpr int kTargetResidualBits = 80;
// The most terms compute() and refine() together add.
inline constexpr int kMaxInverseTerms = 24;

enum class Certification {
  kCertified,
  // Singular, or too ill-conditioned for the double approximate inverse to
  // converge (about kappa * 2^-53 * n above 1).
  kUncertified,
  kStopped,
};

enum class Refinement { kImproved, kStalled, kStopped };

class CertifiedInverseState;  // linear/certified_inverse_state.h
struct CertifiedInverseResult;

class CertifiedInverse {
 public:
  static CertifiedInverseResult compute(unsigned n, const std::vector<double>& matrixRowMajor,
                        const std::stop_token& stop);

  CertifiedInverse(CertifiedInverse&&) noexcept;
  CertifiedInverse& operator=(CertifiedInverse&&) noexcept;
  ~CertifiedInverse();

  unsigned size() const;
  int terms() const;
  // An upper bound of ||I - A S||inf, rounded up.
  double residualBound() const;
  // An enclosure of (A^-1)(row, column), each end rounded outward.
  ValueBounds entry(unsigned row, unsigned column) const;
  // entry(row, j) for every column j, for the cost of one.
  std::vector<ValueBounds> rowBounds(unsigned row) const;
  // Upper bounds of |(A^-1)(row, j)| for every column j, each rounded up
  // (one row's enclosure: n entries for the cost of one).
  std::vector<double> rowMagnitudes(unsigned row) const;
  // An enclosure of ||A^-1||inf, each end rounded outward.
  ValueBounds inverseNorm() const;

  // One more term. kImproved when the residual bound at least halved,
  // kStalled when it did not or no term is left (kMaxInverseTerms), or when
  // the working data was released. After kStopped the enclosure is the one
  // before and no further term can be added.
  Refinement refine(const std::stop_token& stop);
  // Drops what only refine() needs (the exact residual and the double
  // matrices), keeping the enclosure, and hands the calling thread's FLINT
  // caches back (call it on the thread that computed the inverse).
  void releaseWorkingData();

  const CertifiedInverseState& state() const { return *state_; }

 private:
  explicit CertifiedInverse(std::unique_ptr<CertifiedInverseState> state);
  std::unique_ptr<CertifiedInverseState> state_;
};

struct CertifiedInverseResult {
  Certification status = Certification::kUncertified;
  std::optional<CertifiedInverse> inverse;  // with kCertified only
};

}  // namespace linprob

#endif  // LINPROB_LINEAR_CERTIFIED_INVERSE_H_
