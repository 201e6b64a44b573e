#include "solve/phase_solver.h"

#include <algorithm>
#include <cassert>
#include <atomic>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/thread_group.h"
#include "distributions/block_queue.h"
#include "distributions/generator_threads.h"
#include "distributions/sampling.h"
#include "linear/step_replay.h"
#include "linear/vector_clones.h"

namespace linprob {
namespace {

constexpr std::uint64_t kProgressInterval = 50000;

// The phase passes over its jobs twice: once for the extremes, once to count.
constexpr std::uint64_t kPasses = 2;

// Adds `jobs` replays to the progress, if any (relaxed: a display reads it).
void advance(PhaseProgress* progress, std::uint64_t jobs) {
  if (progress != nullptr) {
    progress->done.fetch_add(jobs, std::memory_order_relaxed);
  }
}

// The smallest and the largest of values[0 ... count-1] (count >= 1), with
// -0.0 preferred for the minimum and +0.0 for the maximum among zeros, as
// lowerThan and higherThan do. Four lanes at a time in plain comparisons
// (vector code, AVX2 where available); the signed zeros are settled
// afterwards, and only when a zero is the result.
using FourDoubles = double __attribute__((vector_size(32)));

LINPROB_VECTOR_CLONES
void blockExtremes(const double* values, std::size_t count, double& low,
                   double& high) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  FourDoubles lows = {kInfinity, kInfinity, kInfinity, kInfinity};
  FourDoubles highs = -lows;
  std::size_t j = 0;
  for (; j + 4 <= count; j += 4) {
    FourDoubles v;
    std::memcpy(&v, values + j, sizeof v);
    lows = v < lows ? v : lows;
    highs = v > highs ? v : highs;
  }
  low = kInfinity;
  high = -kInfinity;
  for (int lane = 0; lane < 4; ++lane) {
    if (lows[lane] < low) low = lows[lane];
    if (highs[lane] > high) high = highs[lane];
  }
  for (; j < count; ++j) {
    if (values[j] < low) low = values[j];
    if (values[j] > high) high = values[j];
  }
  if (low == 0.0) {
    low = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
      if (values[i] == 0.0 && std::signbit(values[i])) {
        low = -0.0;
        break;
      }
    }
  }
  if (high == 0.0) {
    high = -0.0;
    for (std::size_t i = 0; i < count; ++i) {
      if (values[i] == 0.0 && !std::signbit(values[i])) {
        high = 0.0;
        break;
      }
    }
  }
}

// Count, minimum and maximum of every solution position.
struct Extremes {
  explicit Extremes(unsigned n)
      : min(n, std::numeric_limits<double>::infinity()),
        max(n, -std::numeric_limits<double>::infinity()) {}

  void take(const JobBlock& block, unsigned n) {
    const std::size_t jobs = block.count;
    for (unsigned e = 0; e < n; ++e) {
      double low = 0.0;
      double high = 0.0;
      blockExtremes(block.entry(e), jobs, low, high);
      if (lowerThan(low, min[e])) min[e] = low;
      if (higherThan(high, max[e])) max[e] = high;
    }
    count += jobs;
  }

  void merge(const Extremes& other) {
    for (std::size_t e = 0; e < min.size(); ++e) {
      if (lowerThan(other.min[e], min[e])) min[e] = other.min[e];
      if (higherThan(other.max[e], max[e])) max[e] = other.max[e];
    }
    count += other.count;
  }

  std::uint64_t count = 0;
  std::vector<double> min;
  std::vector<double> max;
};

// What the solver threads of pass 1 share. `mutex` guards `solved` and
// `extremes`; it is taken once per block (the progress count) and once per
// thread (the merge), never while replaying.
struct PassOneResults {
  PassOneResults(unsigned n, PhaseProgress* phaseProgress)
      : extremes(n), progress(phaseProgress) {}

  void addSolved(std::uint64_t jobs) {
    advance(progress, jobs);
    std::lock_guard<std::mutex> lock(mutex);
    const std::uint64_t before = solved;
    solved += jobs;
    for (std::uint64_t mark = (before / kProgressInterval + 1) * kProgressInterval;
         mark <= solved; mark += kProgressInterval) {
      printJobLine("I have solved " + std::to_string(mark) +
                   " jobs already!");
    }
  }

  void merge(const Extremes& own) {
    std::lock_guard<std::mutex> lock(mutex);
    extremes.merge(own);
  }

  std::mutex mutex;
  std::uint64_t solved = 0;
  Extremes extremes;
  PhaseProgress* progress;  // not guarded: atomic
};

void solverThread(BlockQueue& queue, const std::vector<step>& steps,
                  unsigned n, PassOneResults& results) {
  printJobLine("Solver Thread Started!");
  Extremes own(n);
  while (std::unique_ptr<JobBlock> block = queue.pop()) {
    assert(block->count <= kBlockJobs);
    replayBlock(block->values.data(), kBlockJobs, block->count, steps);
    own.take(*block, n);
    const std::uint64_t jobs = block->count;
    queue.recycle(std::move(block));
    results.addSolved(jobs);
  }
  results.merge(own);
}

// Pass 1: the pipeline of producer, generator threads and solver threads.
Extremes findExtremes(const PhaseJobs& jobs, const LinearSystem& system,
                      const SolveOptions& options) {
  const unsigned n = system.size;
  BlockQueue queue(n);
  PassOneResults results(n, options.progress);
  ThreadGroup solvers;
  const std::stop_callback stopSolvers(options.stop,
                                       [&solvers] { solvers.requestStop(); });
  // A failed solver (or producer) cancels the queue, which wakes every
  // thread that waits on it, so the phase ends instead of hanging.
  const std::stop_callback cancelQueue(solvers.stopToken(),
                                       [&queue] { queue.cancel(); });
  try {
    for (int t = 0; t < options.solverThreads; ++t) {
      solvers.start([&](const std::stop_token&) {
        solverThread(queue, system.steps, n, results);
      });
    }
    if (jobs.enumerate) {
      runGenerators(queue, jobs.enumeration, options.generatorThreads,
                    solvers.stopToken());
    } else {
      produceSamples(queue, jobs.sampling, solvers.stopToken());
    }
  } catch (...) {
    solvers.fail(std::current_exception());
  }
  queue.pushStopper();
  solvers.join();
  queue.removeStopper();
  return std::move(results.extremes);
}

// Where each position's bands start in a flat array of all band masses.
std::vector<std::size_t> bandOffsets(const PhaseBands& bands) {
  std::vector<std::size_t> offsets(bands.size() + 1, 0);
  for (std::size_t e = 0; e < bands.size(); ++e) {
    offsets[e + 1] = offsets[e] + bands[e].masses.size();
  }
  return offsets;
}

// Each band keeps kSumLanes running sums, job j adding to lane j mod
// kSumLanes: consecutive jobs mostly fall into the same band, and one sum
// would make every addition wait for the one before it. The lanes are added
// in a fixed order at the end (laneTotal), so the result depends only on the
// order of the jobs, never on timing.
constexpr std::size_t kSumLanes = 4;

double laneTotal(const double* lanes) {
  double total = lanes[0] + lanes[1];
  total = total + lanes[2];
  total = total + lanes[3];
  return total;
}

// Adds the probability of every job of a solved block to its band.
void countBlock(const JobBlock& block, const PhaseBands& bands,
                const std::vector<std::size_t>& offsets, double* sums) {
  const std::size_t jobs = block.count;
  for (std::size_t e = 0; e < bands.size(); ++e) {
    const PositionBands& position = bands[e];
    const double* values = block.entry(static_cast<unsigned>(e));
    double* positionSums = sums + offsets[e] * kSumLanes;
    const std::size_t last = position.borders.size() - 1;
    // The guess only has to be near: a product with the reciprocal serves
    // as well as the quotient and costs far less. The band itself comes
    // from exact comparisons with the borders.
    const double inverseStep = 1.0 / position.step;
    for (std::size_t j = 0; j < jobs; ++j) {
      const double offset = values[j] - position.min;
      const std::size_t k =
          last == 0 ? 0
                    : bandIndexFrom(position, values[j],
                                    bandGuess(offset * inverseStep, last));
      double& sum = positionSums[k * kSumLanes + j % kSumLanes];
      sum = sum + block.probabilities[j];
    }
  }
}

// masses[k] += the lane total of band k of `sums`, for every position.
void addSums(const double* sums, const std::vector<std::size_t>& offsets,
             PhaseBands& bands) {
  for (std::size_t e = 0; e < bands.size(); ++e) {
    std::vector<double>& masses = bands[e].masses;
    for (std::size_t k = 0; k < masses.size(); ++k) {
      const double total = laneTotal(sums + (offsets[e] + k) * kSumLanes);
      masses[k] = masses[k] + total;
    }
  }
}

// The most partial sums pass 2 keeps; prefixes are grouped into this many
// chunks at most, each chunk counted by one thread in prefix order.
constexpr std::size_t kMaxChunks = 256;

// Pass 2 for enumeration: the chunks depend only on the number of prefixes,
// and their sums are added in chunk order, so the masses are the same for
// any number of threads.
void countEnumeration(const EnumerationJobs& jobs, const LinearSystem& system,
                      int threadCount, const std::stop_token& stop,
                      PhaseProgress* progress, PhaseBands& bands) {
  const std::vector<std::size_t> offsets = bandOffsets(bands);
  const std::size_t prefixes = jobs.prefixCount();
  const std::size_t chunks = std::min(prefixes, kMaxChunks);
  const std::uint64_t perPrefix = jobs.jobsPerPrefix();
  std::vector<std::vector<double>> partial(
      chunks, std::vector<double>(offsets.back() * kSumLanes, 0.0));
  std::atomic<std::size_t> nextChunk{0};

  auto countChunks = [&](const std::stop_token& own) {
    JobBlock block(system.size);
    for (std::size_t c = nextChunk++; c < chunks && !own.stop_requested();
         c = nextChunk++) {
      const std::size_t firstPrefix = c * prefixes / chunks;
      const std::size_t endPrefix = (c + 1) * prefixes / chunks;
      for (std::size_t p = firstPrefix; p < endPrefix; ++p) {
        for (std::uint64_t first = 0; first < perPrefix; first += kBlockJobs) {
          const auto jobCount = static_cast<std::size_t>(
              std::min<std::uint64_t>(kBlockJobs, perPrefix - first));
          jobs.fill(p, first, jobCount, block);
          replayBlock(block.values.data(), kBlockJobs, jobCount, system.steps);
          countBlock(block, bands, offsets, partial[c].data());
          advance(progress, jobCount);
        }
      }
    }
  };

  ThreadGroup counters;
  const std::stop_callback stopCounters(stop,
                                        [&counters] { counters.requestStop(); });
  for (int t = 0; t < threadCount; ++t) {
    counters.start([&](const std::stop_token& own) { countChunks(own); });
  }
  counters.join();

  for (std::size_t c = 0; c < chunks; ++c) {
    addSums(partial[c].data(), offsets, bands);
  }
}

// Pass 2 for sampling: the same samples again, from the same seed.
void countSamples(const SamplingJobs& jobs, const LinearSystem& system,
                  const std::stop_token& stop, PhaseProgress* progress,
                  PhaseBands& bands) {
  const std::vector<std::size_t> offsets = bandOffsets(bands);
  std::vector<double> sums(offsets.back() * kSumLanes, 0.0);
  SampleStream stream(jobs);
  JobBlock block(system.size);
  while (!stop.stop_requested()) {
    const std::size_t jobCount = stream.fill(block);
    if (jobCount == 0) break;
    replayBlock(block.values.data(), kBlockJobs, jobCount, system.steps);
    countBlock(block, bands, offsets, sums.data());
    advance(progress, jobCount);
  }
  addSums(sums.data(), offsets, bands);
}

// Sets the phase's jobs and replays before the first job, done to zero.
void startProgress(PhaseProgress* progress, const PhaseJobs& jobs) {
  if (progress == nullptr) return;
  const std::uint64_t jobCount =
      jobs.enumerate
          ? jobs.enumeration.jobCount()
          : static_cast<std::uint64_t>(std::max(jobs.sampling.sampleCount, 0));
  // Saturates for a phase of more than 2^63 jobs: only a display reads it.
  std::uint64_t replays = 0;
  if (__builtin_mul_overflow(jobCount, kPasses, &replays)) {
    replays = std::numeric_limits<std::uint64_t>::max();
  }
  progress->jobs.store(jobCount, std::memory_order_relaxed);
  progress->total.store(replays, std::memory_order_relaxed);
  progress->done.store(0, std::memory_order_relaxed);
}

}  // namespace

PhaseBands solvePhase(const PhaseJobs& jobs, const LinearSystem& system,
                      const SolveOptions& options) {
  const int solverThreadCount = options.solverThreads;
  const int histogramPrecision = options.histogramPrecision;
  startProgress(options.progress, jobs);
  const Extremes extremes = findExtremes(jobs, system, options);
  if (options.stop.stop_requested()) throw PhaseStopped{};
  PhaseBands bands(system.size);
  if (extremes.count == 0) return bands;
  for (unsigned e = 0; e < system.size; ++e) {
    bands[e].count = extremes.count;
    bands[e].min = extremes.min[e];
    bands[e].max = extremes.max[e];
    layBorders(bands[e], histogramPrecision);
  }
  if (jobs.enumerate) {
    countEnumeration(jobs.enumeration, system, solverThreadCount, options.stop,
                     options.progress, bands);
  } else {
    countSamples(jobs.sampling, system, options.stop, options.progress, bands);
  }
  if (options.stop.stop_requested()) throw PhaseStopped{};
  return bands;
}

}  // namespace linprob
