// The seconds of the steady clock since a point of it: what every timing of
// the run's cost model measures.
#ifndef LINPROB_BASE_ELAPSED_SECONDS_H_
#define LINPROB_BASE_ELAPSED_SECONDS_H_

#include <chrono>

namespace linprob {

inline double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                       start)
      .count();
}

}  // namespace linprob

#endif  // LINPROB_BASE_ELAPSED_SECONDS_H_
