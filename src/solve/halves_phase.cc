#include "solve/halves_phase.h"

#include <algorithm>
#include <cstdint>
#include <stop_token>

#include "distributions/enumeration_source.h"
#include "distributions/job_block.h"
#include "linear/step_replay.h"
#include "solve/chunk_threads.h"
#include "solve/fine_histogram.h"

namespace linprob {
namespace {

// The fine histograms of the positions marked in `replayed`, from a replay
// of every job, a prefix per thread at a time.
std::vector<FineCounts> fineByReplay(const std::vector<char>& replayed,
                                     const EnumerationJobs& jobs,
                                     const std::vector<step>& steps,
                                     const PhaseBands& bands,
                                     const SolveOptions& options) {
  const unsigned n = jobs.n;
  const int threadCount = std::max(options.solverThreads, 1);
  std::vector<FineCounts> counts(static_cast<std::size_t>(threadCount),
                                 FineCounts(n));
  std::vector<std::optional<SubBandGrid>> probes(n);
  for (unsigned e = 0; e < n; ++e) {
    if (!replayed[e]) continue;
    probes[e].emplace(bands[e].min, bands[e].max, kFineSubBands);
    for (FineCounts& own : counts) own[e].assign(kFineSubBands, 0);
  }
  const EnumerationFill fill(jobs);
  // With a process group, each process replays the prefixes it owns.
  const ChunkShare share = options.group != nullptr ? shareOf(*options.group)
                                                    : ChunkShare{};
  std::vector<JobBlock> blocks(static_cast<std::size_t>(threadCount),
                               JobBlock(n));
  const std::uint64_t perPrefix = jobs.jobsPerPrefix();
  forEachChunk(
      jobs.prefixCount(), threadCount, options.stop,
      [&](std::size_t prefix, int t, const std::stop_token& stop) {
        if (!share.owns(prefix)) return;
        FineCounts& own = counts[static_cast<std::size_t>(t)];
        JobBlock& block = blocks[static_cast<std::size_t>(t)];
        for (std::uint64_t first = 0; first < perPrefix; first += kBlockJobs) {
          if (stop.stop_requested()) return;
          const auto count = static_cast<std::size_t>(
              std::min<std::uint64_t>(kBlockJobs, perPrefix - first));
          fill.fill(prefix, first, count, block);
          replayBlock(block.values.data(), kBlockJobs, count, steps);
          for (unsigned e = 0; e < n; ++e) {
            if (!replayed[e]) continue;
            for (std::size_t j = 0; j < count; ++j) {
              own[e][probes[e]->subBand(block.entry(e)[j])] +=
                  fixedPointMass(block.probabilities[j]);
            }
          }
        }
      });
  return counts;
}

// Every process's borders to every process: each sends those of the
// positions it owns (found or not, and the four indices), zeros elsewhere,
// and the integer sums give every process the owner's.
void shareCoverage(std::vector<std::optional<CoverageBorders>>& found,
                   const ChunkShare& share, ProcessGroup& group) {
  constexpr std::size_t kFields = 5;
  std::vector<std::uint64_t> flat(found.size() * kFields, 0);
  for (std::size_t e = 0; e < found.size(); ++e) {
    if (!share.owns(e) || !found[e]) continue;
    std::uint64_t* const out = flat.data() + e * kFields;
    out[0] = 1;
    out[1] = found[e]->symmetricLower;
    out[2] = found[e]->symmetricUpper;
    out[3] = found[e]->shortestLower;
    out[4] = found[e]->shortestUpper;
  }
  group.sumAll(flat);
  for (std::size_t e = 0; e < found.size(); ++e) {
    const std::uint64_t* const in = flat.data() + e * kFields;
    found[e].reset();
    if (in[0] == 0) continue;
    found[e] = CoverageBorders{in[1], in[2], in[3], in[4]};
  }
}

}  // namespace

std::optional<HalvesCounter> halvesFor(const JobSource& source,
                                       const LinearSystem& system,
                                       const CountLayout& layout,
                                       const PhaseBands& bands,
                                       const SolveOptions& options) {
  std::optional<HalvesCounter> halves;
  const EnumerationJobs* const jobs = source.cells();
  if (jobs == nullptr || jobs->jobCount() == 0) return halves;
  PhaseShape shape;
  shape.n = jobs->n;
  shape.cells = jobs->prefixCount();
  for (const PositionBands& position : bands) {
    shape.bands = std::max(shape.bands, position.borders.size());
  }
  shape.coveragePositions = layout.accumulate ? layout.subBandPositions : 0;
  shape.threads = std::max(options.solverThreads, 1);
  shape.memoryBudget = options.halvesMemory;
  CountingPlan plan = planCounting(shape, options.counting);
  if (plan.method == CountingMethod::kHalves) {
    halves.emplace(*jobs, system.steps(), layout, plan.split);
    forEachChunk(shape.n, shape.threads, options.stop,
                 [&](std::size_t e, int, const std::stop_token&) {
                   halves->prepare(static_cast<unsigned>(e));
                 });
    if (!halves->usable()) {
      halves.reset();
      plan.method = CountingMethod::kReplay;
      plan.reason =
          "replaying every job: the solved values cannot be split into "
          "contributions of the entries (a bound is not finite)";
    }
  }
  if (options.plan != nullptr) *options.plan = plan;
  return halves;
}

std::vector<FineCounts> coverageByHalves(const HalvesCounter& halves,
                                         const CountLayout& layout,
                                         const EnumerationJobs& jobs,
                                         const std::vector<step>& steps,
                                         const SolveOptions& options,
                                         PhaseBands& bands) {
  const auto n = static_cast<unsigned>(bands.size());
  const int threadCount = std::max(options.solverThreads, 1);
  const ChunkShare share = options.group != nullptr ? shareOf(*options.group)
                                                    : ChunkShare{};
  const std::uint64_t budget = std::min<std::uint64_t>(
      jobs.jobCount() / std::max(n, 1u), std::uint64_t{1} << 24);
  std::vector<HalvesCounter::Scratch> scratch;
  for (int t = 0; t < threadCount; ++t) scratch.emplace_back(halves);
  std::vector<std::optional<CoverageBorders>> found(n);
  std::vector<char> searched(n, 0);
  forEachChunk(n, threadCount, options.stop,
               [&](std::size_t e, int t, const std::stop_token& stop) {
                 const auto position = static_cast<unsigned>(e);
                 if (!halves.hasCoverage(position)) return;
                 searched[e] = 1;
                 if (!share.owns(e)) return;
                 found[e] = halves.coverage(
                     position, scratch[static_cast<std::size_t>(t)], budget,
                     stop);
               });
  if (options.stop.stop_requested()) return {};
  if (options.group != nullptr) shareCoverage(found, share, *options.group);
  std::vector<char> replayed(n, 0);
  bool anyReplayed = false;
  for (unsigned e = 0; e < n; ++e) {
    bands[e].coverage = found[e];
    replayed[e] = searched[e] && !found[e];
    anyReplayed = anyReplayed || replayed[e];
  }
  if (!anyReplayed) return {};
  std::vector<FineCounts> counts =
      fineByReplay(replayed, jobs, steps, bands, options);
  if (options.stop.stop_requested() || options.group == nullptr) return counts;
  return {shareFineCounts(counts, layout, *options.group)};
}

}  // namespace linprob
