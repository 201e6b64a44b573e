#include "solve/phase_solver.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/thread_group.h"
#include "distributions/chunk_queue.h"
#include "solve/band_counter.h"
#include "solve/block_replay.h"
#include "solve/job_progress.h"
#include "solve/batch_parts.h"
#include "solve/chunk_exchange.h"
#include "solve/extreme_search.h"
#include "solve/extremes.h"
#include "solve/chunk_threads.h"
#include "solve/count_results.h"
#include "solve/halves_phase.h"
#include "solve/position_groups.h"
#include "solve/sample_counter.h"

namespace linprob {
namespace {

// Fills, replays and hands over every block of `chunk` in job order;
// stops between blocks once `stop` is requested.
template <typename Solved>
void forEachBlock(const JobSource& source, const BlockReplay& replay,
                  std::size_t chunk, JobBlock& block,
                  const std::stop_token& stop, Solved&& solved) {
  const std::uint64_t blocks = source.chunkBlocks(chunk);
  for (std::uint64_t k = 0; k < blocks; ++k) {
    if (stop.stop_requested()) return;
    source.fill(chunk, k, block);
    replay(block);
    solved(block);
  }
}

// The chunks of the phase this process takes.
ChunkShare shareFor(const SolveOptions& options) {
  return options.group ? shareOf(*options.group) : ChunkShare{};
}

// Pass 1: the extremes of every position. Per-thread extremes merge in any
// order (see Extremes).
// `search` is used when usable, a chunk per thread at a time; else every
// job is replayed, a block per thread at a time (a phase of one chunk still
// takes every thread), and the solved blocks go into `kept` when it is
// keeping.
Extremes findExtremes(const JobSource& source, const BlockReplay& replay,
                      const ExtremeSearch* search, const SolveOptions& options,
                      JobProgress& progress, FirstPassBlocks& kept) {
  const unsigned n = source.size();
  const int threadCount = std::max(options.solverThreads, 1);
  std::vector<Extremes> perThread(static_cast<std::size_t>(threadCount),
                                  Extremes(n));
  std::vector<JobBlock> blocks(static_cast<std::size_t>(threadCount),
                               JobBlock(n));
  const ChunkPlan plan = source.chunkPlan();
  const ChunkShare share = shareFor(options);
  const std::size_t owned = share.ownedOf(plan.chunks);
  if (search != nullptr) {
    forEachChunk(owned, threadCount, options.stop,
                 [&](std::size_t k, int t, const std::stop_token&) {
                   const std::size_t c = share.first() + k * share.step();
                   progress.replayed(search->search(
                       plan.range(c), perThread[static_cast<std::size_t>(t)],
                       blocks[static_cast<std::size_t>(t)]));
                 });
  } else {
    // The owned chunks' blocks in a row: startOf[i] is the first of the
    // i-th owned chunk's.
    std::vector<std::uint64_t> startOf(owned + 1, 0);
    for (std::size_t i = 0; i < owned; ++i) {
      const std::size_t c = share.first() + i * share.step();
      startOf[i + 1] = startOf[i] + source.chunkBlocks(c);
    }
    forEachChunk(
        static_cast<std::size_t>(startOf[owned]), threadCount, options.stop,
        [&](std::size_t unit, int t, const std::stop_token&) {
          const auto i = static_cast<std::size_t>(
              std::upper_bound(startOf.begin(), startOf.end(), unit) -
              startOf.begin() - 1);
          const std::size_t c = share.first() + i * share.step();
          const std::uint64_t k = unit - startOf[i];
          JobBlock& block = blocks[static_cast<std::size_t>(t)];
          source.fill(c, k, block);
          replay(block);
          perThread[static_cast<std::size_t>(t)].take(block);
          progress.replayed(block.count);
          if (kept.keeping()) kept.keep(c, k, block);
        });
  }
  Extremes extremes(n);
  for (const Extremes& own : perThread) extremes.merge(own);
  return extremes;
}

// The extreme search of a source of cells where it applies and is usable
// (solve/extreme_search.h); else none, and the first pass replays every
// job.
std::optional<ExtremeSearch> extremeSearchFor(const JobSource& source,
                                              const LinearSystem& system,
                                              const SolveOptions& options) {
  std::optional<ExtremeSearch> search;
  const std::uint64_t jobCount = source.jobCount();
  if (source.cells() != nullptr && searchMayApply(jobCount, system.size())) {
    search.emplace(*source.cells(), system.steps(),
                   candidateLimitFor(jobCount), options.stop);
    if (options.stop.stop_requested()) throw PhaseStopped{};
    if (!search->usable()) search.reset();
  }
  return search;
}

// Counts the chunks it pops: from their kept blocks when `kept` is keeping,
// else filled and replayed again; kept chunks counted by position groups
// (`grouped`) are only accounted for here, and counted once the pipeline
// is done (position_groups.h).
void solverThread(ChunkQueue& queue, const JobSource& source,
                  const BlockReplay& replay, const CountLayout& layout,
                  const std::stop_token& stop, JobProgress& progress,
                  CountResults& results, std::size_t thread,
                  FirstPassBlocks& kept, const HalvesCounter* halves,
                  bool grouped, const std::optional<double>& wholeWeight,
                  bool sharedBatches) {
  printJobLine("Solver Thread Started!");
  if (halves != nullptr || grouped) {
    // Counting by halves (a chunk's sums without replaying its jobs), or
    // only accounting for a chunk counted by groups afterwards.
    std::optional<HalvesCounter::Scratch> scratch;
    if (halves != nullptr) scratch.emplace(*halves);
    while (const std::optional<JobChunk> chunk = queue.pop()) {
      if (stop.stop_requested()) continue;
      if (halves != nullptr) {
        halves->countChunk(chunk->index, results.chunks[chunk->index],
                           *scratch, stop);
      }
      progress.solved(chunk->jobs);
    }
    return;
  }
  JobBlock block(source.size());
  // Each chunk's solved blocks in job order, filled and replayed again or
  // kept from pass 1.
  const auto blocksOf = [&](std::size_t c) {
    return [&, c](auto&& visit) {
      const auto solved = [&](const JobBlock& done) {
        visit(done);
        progress.solved(done.count);
      };
      if (!kept.keeping()) {
        forEachBlock(source, replay, c, block, stop, solved);
        return;
      }
      for (const JobBlock& done : kept.blocks(c)) {
        if (stop.stop_requested()) break;
        solved(done);
      }
      kept.release(c);
    };
  };
  if (wholeWeight) {
    SampleCounter counter(layout, *wholeWeight, results.batches,
                          sharedBatches);
    while (const std::optional<JobChunk> chunk = queue.pop()) {
      const std::size_t c = chunk->index;
      countChunk(source, c, counter,
                 results.batches != nullptr ? &results.parts[c] : nullptr,
                 results.chunks[c], blocksOf(c));
    }
    results.fineByThread[thread] = counter.takeFineCounts();
    return;
  }
  BandCounter counter(layout);
  BatchPartCounter partCounter(layout);
  while (const std::optional<JobChunk> chunk = queue.pop()) {
    const std::size_t c = chunk->index;
    std::vector<BatchPart>* const parts =
        results.batches != nullptr ? &results.parts[c] : nullptr;
    countChunk(source, c, counter, partCounter, parts, results.batches,
               results.chunks[c], blocksOf(c));
  }
  results.fineByThread[thread] = counter.takeFineCounts();
}

// The weight of every job when the counting pass counts whole jobs
// (sample_counter.h): a source whose jobs all weigh the same, with chunks
// small enough for the counts to be exact.
std::optional<double> wholeCountWeight(const JobSource& source) {
  const std::optional<double> weight = source.jobWeight();
  if (!weight) return std::nullopt;
  std::uint64_t most = 0;
  for (std::size_t c = 0; c < source.chunkPlan().chunks; ++c) {
    most = std::max(most, source.chunkJobs(c));
  }
  if (!countsExactly(*weight, most)) return std::nullopt;
  return weight;
}

// Pass 2: the pipeline of producers and solver threads.
CountResults countJobs(const JobSource& source, const BlockReplay& replay,
                       const CountLayout& layout, const SolveOptions& options,
                       JobProgress& progress, FirstPassBlocks& kept,
                       const HalvesCounter* halves, BatchSums* batches) {
  const int threadCount = options.solverThreads;
  CountResults results;
  results.chunks.resize(source.chunkPlan().chunks);
  if (batches != nullptr) {
    results.parts = batchPartsOf(source);
    results.batches = batches;
  }
  results.fineByThread.resize(static_cast<std::size_t>(std::max(threadCount, 0)));
  // Kept chunks of many positions: by groups of positions, after the
  // pipeline has accounted for them.
  const bool grouped = halves == nullptr && kept.keeping() &&
                       layout.positions.size() >= kGroupedPositions;
  const std::optional<double> wholeWeight =
      halves == nullptr ? wholeCountWeight(source) : std::nullopt;
  // Chunks of one batch may be counted on two threads at once.
  const bool sharedBatches =
      threadCount > 1 && shareFor(options).ownedOf(results.chunks.size()) > 1;
  ChunkQueue queue;
  ThreadGroup solvers;
  const std::stop_callback stopSolvers(options.stop,
                                       [&solvers] { solvers.requestStop(); });
  // A failed solver (or producer) cancels the queue, which wakes every
  // thread that waits on it, so the phase ends instead of hanging.
  const std::stop_callback cancelQueue(solvers.stopToken(),
                                       [&queue] { queue.cancel(); });
  try {
    for (int t = 0; t < threadCount; ++t) {
      solvers.start([&, t](const std::stop_token& own) {
        solverThread(queue, source, replay, layout, own, progress, results,
                     static_cast<std::size_t>(t), kept, halves, grouped,
                     wholeWeight, sharedBatches);
      });
    }
    source.produce(queue, options.generatorThreads, solvers.stopToken(),
                   shareFor(options));
  } catch (...) {
    solvers.fail(std::current_exception());
  }
  queue.pushStopper();
  solvers.join();
  queue.removeStopper();
  if (grouped && !options.stop.stop_requested()) {
    countByPositionGroups(
        GroupedCount{source, layout, kept, shareFor(options), threadCount,
                     wholeWeight},
        options.stop, results.chunks,
        results.batches != nullptr ? &results.parts : nullptr,
        results.batches, results.fineByThread);
  }
  return results;
}

}  // namespace

namespace {

std::string collapseText(unsigned position, double step) {
  std::ostringstream text;
  text << "solution position " << position << ": the band width " << step
       << " is below the resolution of the values";
  return text.str();
}

}  // namespace

BandsCollapse::BandsCollapse(unsigned atPosition, double least,
                             double most, double width)
    : std::runtime_error(collapseText(atPosition, width)),
      position(atPosition),
      min(least),
      max(most),
      step(width) {}

std::optional<Extremes> phaseExtremes(const JobSource& source,
                                      const LinearSystem& system,
                                      const SolveOptions& options,
                                      std::uint64_t mostReplays) {
  const std::optional<ExtremeSearch> search =
      extremeSearchFor(source, system, options);
  const std::uint64_t replays =
      search ? search->candidates() : source.jobCount();
  if (replays > mostReplays) return std::nullopt;
  JobProgress progress(nullptr);
  FirstPassBlocks kept;
  SolveOptions alone = options;
  alone.group = nullptr;
  Extremes extremes = findExtremes(source, BlockReplay(system),
                                   search ? &*search : nullptr, alone,
                                   progress, kept);
  if (options.stop.stop_requested()) throw PhaseStopped{};
  return extremes;
}

PhaseBands solvePhase(const JobSource& source, const LinearSystem& system,
                      const SolveOptions& options) {
  return countPhase(source, system, options).bands;
}

PhaseCounts countPhase(const JobSource& source, const LinearSystem& system,
                       const SolveOptions& options) {
  const unsigned n = system.size();
  if (!options.references.empty() && options.references.size() != n) {
    throw std::invalid_argument(
        "solve phase: " + std::to_string(options.references.size()) +
        " references for " + std::to_string(n) + " positions");
  }
  const std::uint64_t jobCount = source.jobCount();
  const std::optional<ExtremeSearch> search =
      extremeSearchFor(source, system, options);
  JobProgress progress(options.progress);
  // Saturates for a phase of more than 2^63 jobs: only a display reads it.
  const std::uint64_t firstPass = search ? search->candidates() : jobCount;
  std::uint64_t replays = 0;
  if (__builtin_add_overflow(firstPass, jobCount, &replays)) {
    replays = std::numeric_limits<std::uint64_t>::max();
  }
  if (options.group != nullptr && jobCount > 0) {
    // This process replays its own chunks only; the display counts those
    // (the first pass's share taken in proportion to the jobs).
    const ChunkPlan plan = source.chunkPlan();
    const ChunkShare share = shareFor(options);
    std::uint64_t own = 0;
    for (std::size_t c = share.first(); c < plan.chunks; c += share.step()) {
      own += source.chunkJobs(c);
    }
    const double part =
        static_cast<double>(own) / static_cast<double>(jobCount);
    replays = static_cast<std::uint64_t>(static_cast<double>(replays) * part);
  }
  progress.start(jobCount, replays);

  const BlockReplay replay(system);
  FirstPassBlocks kept;
  if (!search && jobCount > 0) {
    const std::size_t chunks = source.chunkPlan().chunks;
    std::vector<std::uint64_t> blocksPerChunk(chunks);
    for (std::size_t c = 0; c < chunks; ++c) {
      blocksPerChunk[c] = source.chunkBlocks(c);
    }
    kept = FirstPassBlocks(blocksPerChunk, shareFor(options), n,
                      options.memoryBudget);
  }
  PhaseBands bands(n);
  std::optional<Extremes> extremes;
  if (jobCount > 0) {
    extremes.emplace(findExtremes(source, replay,
                                  search ? &*search : nullptr, options,
                                  progress, kept));
    if (options.stop.stop_requested()) throw PhaseStopped{};
    if (options.group) shareExtremes(*extremes, *options.group);
    for (unsigned e = 0; e < n; ++e) {
      bands[e].count = jobCount;
      bands[e].min = extremes->min[e];
      bands[e].max = extremes->max[e];
      if (layBorders(bands[e], options.histogramPrecision) ==
          BorderWalk::kFallsShort) {
        throw BandsCollapse(e, bands[e].min, bands[e].max, bands[e].step);
      }
    }
  }
  const CountLayout layout(bands, options.references);
  const std::optional<HalvesCounter> halves =
      halvesFor(source, system, layout, bands, options);
  // Counted by halves: the blocks kept from pass 1 are not needed.
  if (halves) kept = FirstPassBlocks();
  std::optional<BatchSums> batches;
  const std::size_t batchCount = source.batchCount();
  if (batchCount >= 2 && jobCount > 0) {
    batches.emplace(layout, batchCount,
                    BatchSums::subBandsFor(layout.subBandPositions, batchCount));
  }
  CountResults results =
      countJobs(source, replay, layout, options, progress, kept,
                halves ? &*halves : nullptr, batches ? &*batches : nullptr);
  if (options.stop.stop_requested()) throw PhaseStopped{};
  if (options.group) {
    shareChunkSums(results.chunks, layout, *options.group);
    if (!halves) {
      results.fineByThread = {
          shareFineCounts(results.fineByThread, layout, *options.group)};
    }
    if (batches) shareBatchParts(results.parts, *batches, layout, *options.group);
  }
  if (halves && layout.accumulate) {
    results.fineByThread = coverageByHalves(*halves, layout, *source.cells(),
                                            system.steps(), options, bands);
    if (options.stop.stop_requested()) throw PhaseStopped{};
  }
  combine(results, layout, bands, options.solverThreads);
  if (batches) addBatchParts(results.parts, *batches);
  return PhaseCounts{std::move(bands), std::move(batches)};
}

}  // namespace linprob
