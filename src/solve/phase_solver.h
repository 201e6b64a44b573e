// Solving and tabulating a whole distribution phase in bounded memory, the
// same bits for any number of threads.
//
// The phase's jobs come from a JobSource, split into a fixed sequence of
// chunks (ChunkPlan); every partial result that depends on the order of
// additions is kept per chunk and the chunks are combined in chunk order.
//
// Pass 1, silent, finds each position's smallest and largest solution on
// SolverThreadCount threads that take the chunks in turn: for a source of
// cells from the few jobs that can be extreme (ExtremeSearch), or, where
// that search does not apply, from every job.
//
// Where pass 1 replays every job and the blocks fit options.memoryBudget,
// it keeps them (FirstPassBlocks), and pass 2 counts those instead of filling
// and replaying the jobs again: the same values, so the same bits. The
// replay itself runs on a compiled schedule (ReplaySchedule, the tiled
// replay) from kTiledReplayFrom unknowns on, step by step below.
//
// Then the borders of every position are laid (layBorders; BandsCollapse
// when they fall short of a position's Max), and pass 2 runs
// the phase's pipeline: SolverThreadCount solver threads ("Solver Thread
// Started!") pop chunks from a ChunkQueue while the source produces them
// (JobSource::produce: the generator threads of an enumeration, the calling
// thread otherwise), then the stopper ("Stopper inserted", "Stopper
// found."). A solver fills each block of its chunk itself (JobSource::fill),
// replays the steps on whole blocks with no lock held (or takes the chunk's
// kept blocks) and counts every job into its band
// (BandCounter), and, when references are given, into the moments and the
// fine histogram; a phase whose jobs all weigh one float weight counts
// whole jobs instead (SampleCounter), the same bits. In enumeration a solver may count each chunk by halves
// instead (SolveOptions::counting, halves_phase.h): the same chunks, lines
// and Min, Max, borders and band of every job, and, after the chunks, the
// coverage borders of each position instead of its fine histogram. The line
// "I have solved <N> jobs already!" is printed, in
// increasing order, for every multiple of 50000 jobs passed in pass 2. The
// per-job lines are job lines (printJobLine, base/console.h).
//
// When SolveOptions::group is set, the phase is shared with the other
// processes of the run: this process solves the chunks its ChunkShare owns
// (in both passes), and the passes' results are exchanged as
// solve/chunk_exchange.h says; every process returns the bands one process
// alone would have returned, bit for bit. Every process of the group must
// solve the same phase at the same time. The progress (lines and
// PhaseProgress::done) then counts this process's jobs only, and
// PhaseProgress::total this process's share of the replays.
//
// When SolveOptions::progress is set, solvePhase fills it: jobs and total
// (the job replays of both passes: the candidates or every job in pass 1,
// every job in pass 2) before the first job, done advanced by every block of
// either pass, so done reaches total when the phase ends.
//
// Locks: the progress lines' mutex (taken only when a block passes a
// multiple of 50000; the console's own lock, a leaf, is taken inside it to
// print), the queue's and the generators' own (see ChunkQueue). Per-thread results sit in slots of
// their own and are combined after the threads are joined. No thread
// outlives the call; an exception of any thread ends the phase (the others
// are stopped and joined) and is rethrown here.
#ifndef LINPROB_SOLVE_PHASE_SOLVER_H_
#define LINPROB_SOLVE_PHASE_SOLVER_H_

#include <atomic>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <vector>

#include "base/process_group.h"
#include "distributions/job_source.h"
#include "linear/linear_system.h"
#include "solve/band_table.h"
#include "solve/first_pass_blocks.h"
#include "solve/counting_plan.h"
#include "solve/extremes.h"
#include "solve/job_progress.h"
#include "solve/batch_sums.h"
#include "solve/solve_options.h"

namespace linprob {

// Thrown by solvePhase, before the counting pass, when the borders of a
// position stop below its Max (layBorders gives BorderWalk::kFallsShort):
// its band width is below the resolution of its values, and its bands would
// collapse into the last one. what() is "solution position <k>: the band
// width <step> is below the resolution of the values".
struct BandsCollapse : std::runtime_error {
  BandsCollapse(unsigned atPosition, double least, double most, double width);
  unsigned position;
  double min;
  double max;
  double step;
};

PhaseBands solvePhase(const JobSource& source, const LinearSystem& system,
                      const SolveOptions& options);

// The first pass of a phase alone, as solvePhase makes it (the extreme
// search where it applies, else every job replayed) on options.solverThreads
// threads, this process alone: each position's Min and Max, the same bits as
// the phase's. Nothing when that pass would replay more than `mostReplays`
// jobs. Throws PhaseStopped once options.stop is requested.
std::optional<Extremes> phaseExtremes(const JobSource& source,
                                      const LinearSystem& system,
                                      const SolveOptions& options,
                                      std::uint64_t mostReplays);

// solvePhase, and for a source of two batches or more (JobSource::
// batchCount) the sums of each batch (solve/batch_sums.h, cut by
// solve/batch_parts.h), the same bits for any number of threads and
// processes.
struct PhaseCounts {
  PhaseBands bands;
  std::optional<BatchSums> batches;
};
PhaseCounts countPhase(const JobSource& source, const LinearSystem& system,
                       const SolveOptions& options);

}  // namespace linprob

#endif  // LINPROB_SOLVE_PHASE_SOLVER_H_
