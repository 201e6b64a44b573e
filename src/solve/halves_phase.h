// Counting by halves in a phase: which phases count so, and the stage after
// their chunks are counted. A hook for solvePhase until enumeration gets a
// job source of its own.
//
// halvesFor plans the phase (counting_plan.h, options.counting) and, when
// the plan is halves, builds the counter and prepares its positions on the
// solver threads; it gives none (count by replaying every job) otherwise,
// or when the contributions are not finite. It writes the plan followed to
// options.plan when set.
//
// coverageByHalves runs after every chunk is counted: the coverage borders
// of every position with sub-bands, a position per solver thread at a time,
// into bands[e].coverage; with a process group, each process searches the
// positions e with e % ranks == rank (each has the whole phase's parts) and
// the borders are then summed into every process. A position whose
// undecided pairs would cost more replays than min(jobs / n, 2^24) gets the
// fine histogram of a replay of every job instead (with a group, each
// process replays the prefixes it owns and the integer counts are summed),
// returned as the counting pass returns its threads' counts (one entry
// when summed over a group).
// Nothing once options.stop is requested.
#ifndef LINPROB_SOLVE_HALVES_PHASE_H_
#define LINPROB_SOLVE_HALVES_PHASE_H_

#include <optional>
#include <vector>

#include "distributions/enumeration_jobs.h"
#include "linear/linear_system.h"
#include "solve/band_counter.h"
#include "solve/chunk_exchange.h"
#include "solve/halves_counter.h"
#include "solve/solve_options.h"

namespace linprob {

std::optional<HalvesCounter> halvesFor(const JobSource& source,
                                       const LinearSystem& system,
                                       const CountLayout& layout,
                                       const PhaseBands& bands,
                                       const SolveOptions& options);

std::vector<FineCounts> coverageByHalves(const HalvesCounter& halves,
                                         const CountLayout& layout,
                                         const EnumerationJobs& jobs,
                                         const std::vector<step>& steps,
                                         const SolveOptions& options,
                                         PhaseBands& bands);

}  // namespace linprob

#endif  // LINPROB_SOLVE_HALVES_PHASE_H_
