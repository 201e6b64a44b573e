// SolveOptions: how a phase is solved and counted (threads, bands, the
// stop of the run, progress, references for moments, the processes that
// share it, memory for kept blocks and for counting by halves), as the
// phase solver (solve/phase_solver.h) and counting by halves
// (solve/halves_phase.h) both read them.
#ifndef LINPROB_SOLVE_SOLVE_OPTIONS_H_
#define LINPROB_SOLVE_SOLVE_OPTIONS_H_

#include <cstdint>
#include <stop_token>
#include <vector>

#include "base/process_group.h"
#include "solve/counting_plan.h"
#include "solve/job_progress.h"
#include "solve/first_pass_blocks.h"

namespace linprob {

struct SolveOptions {
  int solverThreads = 1;       // at least 1
  int generatorThreads = 1;    // sources that produce on threads of their own
  int histogramPrecision = 10; // at least 1
  // A stop of the whole run (a signal): every thread ends between two
  // blocks (the extreme search's setup between two of its replays) and
  // solvePhase throws PhaseStopped.
  std::stop_token stop{};
  // When set, filled as the phase goes (see PhaseProgress).
  PhaseProgress* progress = nullptr;
  // One value per solution position (for example the plain solution's):
  // pass 2 then also accumulates each position's weighted moments about it
  // (PositionBands::moments) and its fine histogram over [Min, Max]
  // (PositionBands::fine: per sub-band and chunk, the chunk's weights there
  // summed in job order and rounded once with fixedPointMass; none where Min
  // or Max is not finite, or for phases of more than kMaxSubBandPositions
  // positions). Empty: only the band masses.
  std::vector<double> references{};
  // The processes that share the phase; nullptr: this process alone.
  ProcessGroup* group = nullptr;
  // The bytes of solved blocks the phase may keep from pass 1 for pass 2
  // (see FirstPassBlocks); 0: pass 2 always fills and replays its jobs again.
  std::uint64_t memoryBudget = kDefaultMemoryBudget;
  // Enumeration: count by replaying every job or by halves (counting_plan.h).
  // Counting by halves gives the same Min, Max, borders and band of every
  // job, masses and moments to rounding, and instead of the fine histogram
  // the coverage borders it would give (PositionBands::coverage).
  CountingChoice counting = CountingChoice::kCheaper;
  std::uint64_t halvesMemory = kDefaultHalvesMemory;
  // When set, the plan the phase followed (enumeration phases with jobs).
  CountingPlan* plan = nullptr;
};

// Thrown by solvePhase when options.stop was requested.
struct PhaseStopped {};

}  // namespace linprob

#endif  // LINPROB_SOLVE_SOLVE_OPTIONS_H_
