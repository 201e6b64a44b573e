// The data of a CertifiedInverse (linear/certified_inverse.h) and the row
// enclosures the linear layer's certified computations read from it. Only
// the linear layer's own sources include this header.
//
// Scales: A(r, c) = aInteger(r, c) 2^rowExponents[r]; term m of the
// approximate inverse is ints(i, j) 2^columnExponents[j]; the residual is
// residual(r, j) 2^(rowExponents[r] + residualColumnExponents[j]).
#ifndef LINPROB_LINEAR_CERTIFIED_INVERSE_STATE_H_
#define LINPROB_LINEAR_CERTIFIED_INVERSE_STATE_H_

#include <optional>
#include <vector>

#include <arb.h>

#include "linear/flint_handles.h"

namespace linprob {

struct InverseTerm {
  FmpzMatrix ints;
  std::vector<slong> columnExponents;
};

class CertifiedInverseState {
 public:
  explicit CertifiedInverseState(unsigned size) : n(size) {}

  // Row `row` of the enclosure: entry j is S(row, j) exactly, with radius
  // rowRadii[row] * columnBounds[j] (both upper bounds). `out` holds n balls.
  void enclosedRow(unsigned row, arb_ptr out) const;

  unsigned n;
  std::vector<double> matrix;  // A, row-major
  std::vector<slong> rowExponents;
  unsigned sliceBits = 0;  // width of the slices A is multiplied in
  unsigned sliceCount = 0;
  unsigned termBits = 0;  // bits of a term's integers
  std::vector<InverseTerm> terms;

  // Bounds of the residual of the current terms.
  Mag residualNorm;               // beta >= ||R||inf
  std::vector<Mag> columnBounds;  // gamma_j >= max_k |R(k, j)|
  std::vector<Mag> rowRadii;      // rho_i >= ||row i of A^-1||1

  // Working data, released by releaseWorkingData().
  std::vector<double> preconditioner;  // X0
  std::optional<FmpzMatrix> residual;
  std::vector<slong> residualColumnExponents;
  std::vector<double> roundedResidual;  // R in doubles, for the next term
};

}  // namespace linprob

#endif  // LINPROB_LINEAR_CERTIFIED_INVERSE_STATE_H_
