// forEachPosition: work on every solution position of a phase (its batch
// estimates, convergence and measures), spread over the phase's solver
// threads. Each position's work reads and writes that position's values
// only, so the results do not depend on the threads. Phases of few
// positions run on the calling thread: starting threads would cost more
// than their work. No thread outlives the call; an exception of any
// position ends the others and is rethrown (ThreadGroup).
#ifndef LINPROB_RESULTS_POSITION_THREADS_H_
#define LINPROB_RESULTS_POSITION_THREADS_H_

#include <algorithm>
#include <cstddef>
#include <stop_token>

#include "solve/chunk_threads.h"

namespace linprob {

// Positions a thread takes at least before another one is started.
inline constexpr std::size_t kPositionsPerThread = 8;

// Runs work(position) for every position < count, on up to `threads`
// threads.
template <typename Work>
void forEachPosition(std::size_t count, unsigned threads, Work&& work) {
  const std::size_t workers = std::min<std::size_t>(
      std::max(threads, 1u), std::max<std::size_t>(count / kPositionsPerThread, 1));
  if (workers <= 1) {
    for (std::size_t e = 0; e < count; ++e) work(e);
    return;
  }
  forEachChunk(count, static_cast<int>(workers), std::stop_token(),
               [&](std::size_t e, int, const std::stop_token&) { work(e); });
}

}  // namespace linprob

#endif  // LINPROB_RESULTS_POSITION_THREADS_H_
