#include "linear/matrix_check.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>

namespace linprob {

void checkSquareMatrix(unsigned n, const std::vector<double>& matrixRowMajor,
                       const std::string& who) {
  const std::size_t needed = static_cast<std::size_t>(n) * n;
  if (matrixRowMajor.size() != needed) {
    throw std::invalid_argument(who + ": the matrix holds " +
                                std::to_string(matrixRowMajor.size()) +
                                " numbers, not " + std::to_string(needed));
  }
  for (std::size_t k = 0; k < needed; ++k) {
    if (!std::isfinite(matrixRowMajor[k])) {
      throw std::invalid_argument(who + ": matrix entry " + std::to_string(k) +
                                  " is not finite");
    }
  }
}

}  // namespace linprob
