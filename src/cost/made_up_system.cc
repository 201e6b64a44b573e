#include "cost/made_up_system.h"

#include <cstddef>

namespace linprob {

SystemInputs madeUpInputs(unsigned k) {
  SystemInputs inputs;
  inputs.n = k;
  inputs.matrix.resize(std::size_t{k} * k);
  for (unsigned r = 0; r < k; ++r) {
    for (unsigned c = 0; c < k; ++c) {
      inputs.matrix[std::size_t{r} * k + c] =
          r == c ? k + 1.0 : ((r * 31 + c * 17) % 23) / 23.0 - 0.5;
    }
    const double b = ((r * 7) % 11) / 11.0 - 0.5;
    inputs.rhs.push_back(b);
    inputs.intervalRhs.push_back(ValueBounds{b - 0.5, b + 0.5});
    for (const ParameterKindInfo& kind : kParameterKinds) {
      kind.standIn(b, 0.5, inputs.parametersOf(kind.kind));
    }
  }
  return inputs;
}

}  // namespace linprob
