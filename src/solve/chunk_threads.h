// forEachChunk: work spread over the silent threads of one stage of a
// phase (the extreme search, the preparation and the coverage search of
// counting by halves), each thread taking the next unit in turn. No thread
// outlives the call; a stop of `stop` stops the threads between two units;
// an exception of any unit ends the others and is rethrown (ThreadGroup).
#ifndef LINPROB_SOLVE_CHUNK_THREADS_H_
#define LINPROB_SOLVE_CHUNK_THREADS_H_

#include <atomic>
#include <cstddef>
#include <stop_token>

#include "base/thread_group.h"

namespace linprob {

// Runs work(unit, thread, threadStop) for every unit < units on
// `threadCount` threads.
template <typename Work>
void forEachChunk(std::size_t units, int threadCount,
                  const std::stop_token& stop, Work&& work) {
  std::atomic<std::size_t> next{0};
  ThreadGroup threads;
  const std::stop_callback stopThreads(stop,
                                       [&threads] { threads.requestStop(); });
  for (int t = 0; t < threadCount; ++t) {
    threads.start([&, t](const std::stop_token& own) {
      for (std::size_t c = next++; c < units && !own.stop_requested();
           c = next++) {
        work(c, t, own);
      }
    });
  }
  threads.join();
}

}  // namespace linprob

#endif  // LINPROB_SOLVE_CHUNK_THREADS_H_
