// Test helper: every kind of points that draws samples, from the program's
// table, so that suites run over each one a new kind adds.
#ifndef LINPROB_TESTS_SUPPORT_SAMPLING_KINDS_H_
#define LINPROB_TESTS_SUPPORT_SAMPLING_KINDS_H_

#include <vector>

#include "distributions/point_kinds.h"

namespace linprob::testing {

inline std::vector<PointKind> samplingKinds() {
  std::vector<PointKind> kinds;
  for (const PointKindRow& row : kPointKindRows) {
    if (drawsSamples(row.kind)) kinds.push_back(row.kind);
  }
  return kinds;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_SAMPLING_KINDS_H_
