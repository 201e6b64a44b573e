// The check the certified and the exact computations make of a square
// matrix of doubles given row by row: n * n entries, all finite. Refused
// (std::invalid_argument, `who` first):
//   "<who>: the matrix holds 3 numbers, not 4"
//   "<who>: matrix entry 5 is not finite"   (row-major index)
#ifndef LINPROB_LINEAR_MATRIX_CHECK_H_
#define LINPROB_LINEAR_MATRIX_CHECK_H_

#include <string>
#include <vector>

namespace linprob {

void checkSquareMatrix(unsigned n, const std::vector<double>& matrixRowMajor,
                       const std::string& who);

}  // namespace linprob

#endif  // LINPROB_LINEAR_MATRIX_CHECK_H_
