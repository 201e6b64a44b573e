// Solving and tabulating a whole distribution phase in bounded memory.
//
// Pass 1 runs the phase's pipeline: SolverThreadCount solver threads
// ("Solver Thread Started!") pop blocks from a BlockQueue while the producer
// fills it (the generator threads in enumeration, the sampling producer on
// the calling thread otherwise) and then pushes the stopper; each solver
// replays the steps on whole blocks with no lock held, keeps its own count,
// minimum and maximum per solution position, and merges them once, at the
// stopper ("Stopper found."), under a short lock. The same lock guards the
// phase's solved-job count, advanced once per block, with the line
// "I have solved <N> jobs already!" for every multiple of 50000 passed.
//
// Then the borders of every position are laid (layBorders), and pass 2
// replays every job a second time and adds its probability to its band:
// enumeration by SolverThreadCount silent threads, one prefix at a time, each
// prefix into its own partial sums, which are added in prefix order, so the
// result does not depend on the number of threads; sampling on the calling
// thread, from the same seed. Nothing prints in pass 2; no thread outlives
// the call. An exception of any thread ends the phase (the others are
// stopped and joined) and is rethrown here. The per-job lines are job lines
// (printJobLine, base/console.h).
//
// When SolveOptions::progress is set, solvePhase fills it: jobs and total
// (the job replays of both passes) before the first job, done advanced by
// every block of either pass, so done reaches total when the phase ends.
#ifndef LINPROB_SOLVE_PHASE_SOLVER_H_
#define LINPROB_SOLVE_PHASE_SOLVER_H_

#include <atomic>
#include <cstdint>
#include <stop_token>

#include "distributions/job_source.h"
#include "linear/linear_system.h"
#include "solve/band_table.h"

namespace linprob {

// How far a phase has got, for a progress display. Written only by
// solvePhase, with relaxed atomics (no lock, one addition per block); read by
// anyone at any time.
struct PhaseProgress {
  std::atomic<std::uint64_t> jobs{0};   // the phase's jobs
  std::atomic<std::uint64_t> total{0};  // job replays of every pass
  std::atomic<std::uint64_t> done{0};   // job replays made so far
};

struct SolveOptions {
  int solverThreads = 1;       // at least 1
  int generatorThreads = 1;    // enumeration only
  int histogramPrecision = 10; // at least 1
  // A stop of the whole run (a signal): every thread ends between two
  // blocks and solvePhase throws PhaseStopped.
  std::stop_token stop{};
  // When set, filled as the phase goes (see PhaseProgress).
  PhaseProgress* progress = nullptr;
};

// Thrown by solvePhase when options.stop was requested.
struct PhaseStopped {};

PhaseBands solvePhase(const PhaseJobs& jobs, const LinearSystem& system,
                      const SolveOptions& options);

}  // namespace linprob

#endif  // LINPROB_SOLVE_PHASE_SOLVER_H_
