// How the report's files hold a system as it grows. Up to kFullArraysMost
// unknowns, results.json and sensitivity.csv hold every array of the
// system. Above, the full arrays (every band, the n x n variance shares)
// are in results.nc alone: results.json keeps each system's head and the
// per-unknown summaries, and sensitivity.csv the kSharesKept largest shares
// of each unknown. results.nc, bands.csv and unknowns.csv hold every value
// at every size.
#ifndef LINPROB_OUTPUT_REPORT_SCALE_H_
#define LINPROB_OUTPUT_REPORT_SCALE_H_

#include <cstddef>

namespace linprob {

inline constexpr int kFullArraysMost = 100;
inline constexpr std::size_t kSharesKept = 20;

inline bool holdsFullArrays(int unknownCount) {
  return unknownCount <= kFullArraysMost;
}

}  // namespace linprob

#endif  // LINPROB_OUTPUT_REPORT_SCALE_H_
