// The progress of a phase as its solver threads report it: the shared
// counters a progress display reads (PhaseProgress), and the lines a
// phase prints as its jobs are solved (JobProgress).
#ifndef LINPROB_SOLVE_JOB_PROGRESS_H_
#define LINPROB_SOLVE_JOB_PROGRESS_H_

#include <atomic>
#include <cstdint>
#include <mutex>

namespace linprob {

// How far a phase has got, for a progress display. Written only by
// solvePhase, with relaxed atomics (no lock, one addition per block); read by
// anyone at any time.
struct PhaseProgress {
  std::atomic<std::uint64_t> jobs{0};   // the phase's jobs
  std::atomic<std::uint64_t> total{0};  // job replays of every pass
  std::atomic<std::uint64_t> done{0};   // job replays made so far
};

// The progress of a phase: every replayed block advances the caller's
// PhaseProgress; the blocks of pass 2 also print "I have solved <N> jobs
// already!" for each multiple of 50000 they pass. A block's jobs are added
// with one atomic step; printMutex is taken only when a multiple was passed,
// and guards `printed` so that the lines come out once each and in order.
class JobProgress {
 public:
  explicit JobProgress(PhaseProgress* external) : external_(external) {}

  // Before the first replay: the phase's jobs and replays, nothing done.
  void start(std::uint64_t jobs, std::uint64_t replays) {
    if (external_ == nullptr) return;
    external_->jobs.store(jobs, std::memory_order_relaxed);
    external_->total.store(replays, std::memory_order_relaxed);
    external_->done.store(0, std::memory_order_relaxed);
  }

  void replayed(std::uint64_t jobs) {
    if (external_ != nullptr) {
      external_->done.fetch_add(jobs, std::memory_order_relaxed);
    }
  }

  // replayed(), then "I have solved <N> jobs already!" for each multiple
  // of 50000 passed.
  void solved(std::uint64_t jobs);

 private:
  PhaseProgress* const external_;
  std::atomic<std::uint64_t> solved_{0};
  std::mutex printMutex_;
  std::uint64_t printed_ = 0;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_JOB_PROGRESS_H_
