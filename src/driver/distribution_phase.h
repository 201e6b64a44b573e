// One distribution phase of one system under one pivoting mode: build the
// family's jobs (enumerated cells or random samples), solve them all and
// count them into each unknown's bands, propagate the family's means and
// variances through the steps, and return the phase's result (with the
// seed, standard errors and convergence of a sampling phase, and how a
// --digits phase ended). Prints the phase's console lines and, when the
// context has a display, keeps its progress line; writes no file.
//
// Nothing of a phase outlives the call, and no thread is left running when
// it returns or throws.
#ifndef LINPROB_DRIVER_DISTRIBUTION_PHASE_H_
#define LINPROB_DRIVER_DISTRIBUTION_PHASE_H_

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "base/process_group.h"
#include "distributions/family.h"
#include "driver/progress_display.h"
#include "config/run_config.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "results/phase_result.h"
#include "results/system_reference.h"
#include "solve/first_pass_blocks.h"
#include "solve/phase_solver.h"

namespace linprob {

struct PhaseContext {
  // The run: its settings, points, jobs, solver options and the memory a
  // phase may keep between its passes.
  const RunConfig& config;
  const LinearSystem& system;
  // The system's references, which keep its inputs as read once: the
  // phase's parameters.
  const SystemReference& reference;
  int matrixIndex;
  const PivotMode& mode;
  // A seeded run: the phase's seed comes from this (phaseSeed); else drawn.
  std::optional<std::uint64_t> runSeed;
  ProgressDisplay* display;  // nullptr: no progress line
  // A stop of the run: the phase's threads end between two blocks and the
  // phase throws PhaseStopped (solve/phase_solver.h).
  std::stop_token stop;
  // The plain solution by position: the counting pass accumulates each
  // position's moments about it and its fine histogram. Empty: band masses
  // only.
  std::vector<double> plainSolution{};
  // The processes that run every phase together (solve/phase_solver.h);
  // nullptr: this process alone. They must all have the same runSeed.
  ProcessGroup* group = nullptr;
};

// A phase whose band width is below the resolution of its values is
// refused (solve/phase_solver.h, BandsCollapse): runDistributionPhase throws
// std::runtime_error with collapseMessage (check/band_check.h).
PhaseResult runDistributionPhase(const FamilyInfo& family,
                                 const PhaseContext& context);

}  // namespace linprob

#endif  // LINPROB_DRIVER_DISTRIBUTION_PHASE_H_
