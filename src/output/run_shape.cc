#include "output/run_shape.h"

#include "distributions/family.h"
#include "linear/pivot_mode.h"

namespace linprob {

double RunShape::tables() const {
  return static_cast<double>(systems) *
         static_cast<double>(kPivotModes.size()) * familyCount() *
         static_cast<double>(unknowns);
}

double indexChars(double count) {
  double digits = 1.0;
  for (double top = 10.0; top < count; top *= 10.0) digits += 1.0;
  return digits;
}

}  // namespace linprob
