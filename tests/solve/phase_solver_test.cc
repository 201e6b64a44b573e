// The fast phase (jobs in blocks, min and max first, then every job counted
// into its band) against the straightforward reference: every job solved on
// its own, all samples kept, sorted and walked. Both must give the same
// tables, and enumeration must not depend on the thread counts.
#include "solve/phase_solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <random>
#include <sstream>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "base/console.h"
#include "distributions/discretisation.h"
#include "distributions/enumeration_source.h"
#include "distributions/sampling_source.h"
#include "linear/step_replay.h"
#include "support/in_process_ranks.h"
#include "support/phase_text.h"
#include "support/sorted_reference.h"
#include "support/pair_entries.h"
#include "support/random_source.h"

namespace linprob {
namespace {

using testing::phaseOfBands;
using testing::SampleTable;
using testing::sortSamples;
using testing::tabulateSortedTable;

// What a test phase's jobs are: its cells or its samples.
struct TestJobs {
  bool enumerate = true;
  EnumerationJobs enumeration;
  SamplingJobs sampling;
};

std::unique_ptr<JobSource> sourceOf(const TestJobs& jobs) {
  if (jobs.enumerate) {
    return std::make_unique<EnumerationSource>(jobs.enumeration);
  }
  return testing_support::randomSource(jobs.sampling);
}

struct RandomPhase {
  LinearSystem system{1};
  TestJobs jobs;
  std::vector<NormalParameters> approx;
  std::vector<double> references;  // the replayed means
  int histogramPrecision = 10;
};

// A random regular system (diagonally dominant, so every pivoting mode is
// safe), a random family and parameters, enumeration or sampling.
RandomPhase makePhase(std::mt19937& random, bool enumerate) {
  std::uniform_int_distribution<unsigned> sizes(1, 3);
  std::uniform_real_distribution<double> real(-3.0, 3.0);
  RandomPhase phase;
  const unsigned n = sizes(random);
  phase.system = LinearSystem(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) phase.system.setCoefficient(r, c, real(random));
    phase.system.setCoefficient(r, r, 8.0 + real(random));
  }
  const int mode = std::uniform_int_distribution<int>(0, 3)(random);
  phase.system.eliminate(pivotMode(mode));
  phase.histogramPrecision = std::uniform_int_distribution<int>(1, 12)(random);

  const auto family = static_cast<Family>(
      std::uniform_int_distribution<int>(0, 2)(random));
  std::vector<double> first(n), second(n);
  for (unsigned e = 0; e < n; ++e) {
    first[e] = real(random);
    second[e] = family == Family::kNormal ? 0.5 + std::fabs(real(random))
                                          : first[e] + 0.1 + std::fabs(real(random));
  }
  const int cells = std::uniform_int_distribution<int>(1, 9)(random);
  phase.jobs.enumerate = enumerate;
  if (enumerate) {
    phase.jobs.enumeration.n = n;
    phase.jobs.enumeration.cells =
        family == Family::kNormal       ? normalCells(n, cells, first, second)
        : family == Family::kTriangular ? triangularCells(n, cells, first, second)
                                        : uniformCells(n, cells, first, second);
  } else {
    phase.jobs.sampling = SamplingJobs{
        n, family, testing::pairEntries(first, second),
        std::uniform_int_distribution<int>(1, 3000)(random),
        static_cast<std::uint64_t>(random())};
  }
  for (unsigned e = 0; e < n; ++e) {
    phase.approx.push_back(NormalParameters{first[e], std::fabs(second[e])});
  }
  replaySteps(phase.approx, phase.system.steps());
  for (const NormalParameters& p : phase.approx) {
    phase.references.push_back(p.mean);
  }
  return phase;
}

// Every job, solved one by one, in the plain order of enumeration.
SampleTable referenceSamples(const RandomPhase& phase) {
  const unsigned n = phase.system.size();
  SampleTable table(n);
  auto record = [&](std::vector<double> rhs, double probability) {
    replaySteps(rhs, phase.system.steps());
    for (unsigned e = 0; e < n; ++e) {
      table[e].push_back(SampleRectangle{rhs[e], probability});
    }
  };
  if (phase.jobs.enumerate) {
    const RectangleTable& cells = phase.jobs.enumeration.cells;
    std::vector<std::size_t> index(n, 0);
    while (!cells.empty()) {
      std::vector<double> rhs(n);
      double probability = 1.0;
      for (unsigned e = 0; e < n; ++e) {
        probability = probability * cells[index[e]][e].probability;
        rhs[e] = cells[index[e]][e].value;
      }
      record(rhs, probability);
      unsigned e = n;
      while (e > 0 && ++index[e - 1] == cells.size()) index[--e] = 0;
      if (e == 0) break;
    }
  } else {
    const SampleBlocks draws(phase.jobs.sampling);
    JobBlock block(n);
    for (std::uint64_t b = 0; b < phase.jobs.sampling.blockCount(); ++b) {
      const std::size_t count = draws.fill(b, block);
      for (std::size_t j = 0; j < count; ++j) {
        std::vector<double> rhs(n);
        for (unsigned e = 0; e < n; ++e) rhs[e] = block.entry(e)[j];
        record(rhs, block.probabilities[j]);
      }
    }
  }
  for (auto& samples : table) sortSamples(samples);
  return table;
}

// The INVALID tables depend only on each position's min and max, so they
// must match the reference to the last character.
std::string invalidText(const RandomPhase& phase, const PhaseBands& bands) {
  return testing::invalidText(
      phaseOfBands(bands, phase.system.columnOrder(), phase.approx));
}

// Borders, extremes and counts agree bit for bit; a band mass may differ in
// its last bits only, since the reference adds the masses in sorted order and
// the fast path in job order (so an exact half in the sixth printed digit,
// such as 0.2109375, may print as 0.210937 on one side and 0.210938 on the
// other). 1e-12 is far above that rounding and far below any real error.
void expectSameBands(const RandomPhase& phase, const PhaseBands& fast,
                     int round) {
  const PhaseBands reference = tabulateSortedTable(
      referenceSamples(phase), phase.histogramPrecision);
  ASSERT_EQ(fast.size(), reference.size()) << "round " << round;
  for (std::size_t e = 0; e < fast.size(); ++e) {
    SCOPED_TRACE("round " + std::to_string(round) + ", position " +
                 std::to_string(e));
    EXPECT_EQ(fast[e].count, reference[e].count);
    EXPECT_EQ(fast[e].min, reference[e].min);
    EXPECT_EQ(fast[e].max, reference[e].max);
    EXPECT_EQ(fast[e].step, reference[e].step);
    EXPECT_EQ(fast[e].borders, reference[e].borders);
    ASSERT_EQ(fast[e].masses.size(), reference[e].masses.size());
    for (std::size_t k = 0; k < fast[e].masses.size(); ++k) {
      EXPECT_NEAR(fast[e].masses[k], reference[e].masses[k], 1e-12);
    }
  }
  EXPECT_EQ(invalidText(phase, fast), invalidText(phase, reference))
      << "round " << round;
}

// The moments and fine histograms of a phase counted with references,
// against the same from every solved value, one by one (WeightedMoments::add
// and FineHistogram::add). The fast path adds the weights of a chunk's jobs
// per sub-band and rounds each sum to fixed point once, so a count may
// differ from the one-by-one counts by half a unit per job of the sub-band
// and per chunk, nothing more (a job in another sub-band would move its whole
// weight). The moments differ by the order of the additions only:
// 1e-12 relative to the values' spread is far above that rounding.
void expectSameAccumulators(const RandomPhase& phase, const PhaseBands& fast,
                            int round) {
  const SampleTable samples = referenceSamples(phase);
  for (std::size_t e = 0; e < fast.size(); ++e) {
    SCOPED_TRACE("round " + std::to_string(round) + ", position " +
                 std::to_string(e));
    ASSERT_TRUE(fast[e].moments.has_value());
    WeightedMoments moments(phase.references[e]);
    FineHistogram fine(fast[e].min, fast[e].max);
    std::vector<std::uint64_t> jobsIn(kFineSubBands, 0);
    double spread = 0.0;
    for (const SampleRectangle& s : samples[e]) {
      moments.add(s.value, s.probability);
      fine.add(s.value, s.probability);
      ++jobsIn[fine.subBand(s.value)];
      spread = std::max(spread, std::fabs(s.value - phase.references[e]));
    }
    const double tolerance = 1e-12 * (spread + 1e-300);
    EXPECT_NEAR(fast[e].moments->mean(), moments.mean(), tolerance);
    EXPECT_NEAR(fast[e].moments->sd() * fast[e].moments->sd(),
                moments.sd() * moments.sd(), tolerance * spread);
    ASSERT_TRUE(fast[e].fine.has_value());
    const std::uint64_t chunks = sourceOf(phase.jobs)->chunkPlan().chunks;
    for (std::size_t f = 0; f < kFineSubBands; ++f) {
      const std::uint64_t a = fast[e].fine->counts()[f];
      const std::uint64_t b = fine.counts()[f];
      ASSERT_LE(a > b ? a - b : b - a, jobsIn[f] + chunks) << "sub-band " << f;
    }
  }
}

PhaseBands quietSolve(const RandomPhase& phase, int solvers, int generators,
                      bool accumulate = false) {
  SolveOptions options{.solverThreads = solvers,
                       .generatorThreads = generators,
                       .histogramPrecision = phase.histogramPrecision};
  if (accumulate) options.references = phase.references;
  ::testing::internal::CaptureStdout();
  PhaseBands bands = solvePhase(*sourceOf(phase.jobs), phase.system, options);
  ::testing::internal::GetCapturedStdout();
  return bands;
}

TEST(PhaseSolverTest, EnumerationMatchesTheSortedReference) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 150; ++round) {
    const RandomPhase phase = makePhase(random, true);
    const bool accumulate = round % 2 == 1;
    const PhaseBands fast = quietSolve(phase, 2, 2, accumulate);
    expectSameBands(phase, fast, round);
    if (accumulate) expectSameAccumulators(phase, fast, round);
  }
}

TEST(PhaseSolverTest, SamplingMatchesTheSortedReference) {
  std::mt19937 random(7);
  for (int round = 0; round < 60; ++round) {
    const RandomPhase phase = makePhase(random, false);
    const bool accumulate = round % 2 == 1;
    const PhaseBands fast = quietSolve(phase, 2, 1, accumulate);
    expectSameBands(phase, fast, round);
    if (accumulate) expectSameAccumulators(phase, fast, round);
  }
}

void expectSameBits(const PhaseBands& one, const PhaseBands& other) {
  ASSERT_EQ(other.size(), one.size());
  for (std::size_t e = 0; e < one.size(); ++e) {
    EXPECT_EQ(other[e].min, one[e].min);
    EXPECT_EQ(other[e].max, one[e].max);
    EXPECT_EQ(other[e].borders, one[e].borders);
    // Bit for bit: partial sums are added in a fixed order.
    EXPECT_EQ(other[e].masses, one[e].masses);
    ASSERT_EQ(other[e].moments.has_value(), one[e].moments.has_value());
    if (one[e].moments) {
      EXPECT_EQ(other[e].moments->sumWeight(), one[e].moments->sumWeight());
      EXPECT_EQ(other[e].moments->sumFirst(), one[e].moments->sumFirst());
      EXPECT_EQ(other[e].moments->sumSecond(), one[e].moments->sumSecond());
      EXPECT_EQ(other[e].moments->mean(), one[e].moments->mean());
      EXPECT_EQ(other[e].moments->sd(), one[e].moments->sd());
    }
    ASSERT_EQ(other[e].fine.has_value(), one[e].fine.has_value());
    if (one[e].fine) {
      EXPECT_EQ(other[e].fine->counts(), one[e].fine->counts());
    }
  }
}

TEST(PhaseSolverTest, EnumerationDoesNotDependOnTheThreadCounts) {
  std::mt19937 random(99);
  for (int round = 0; round < 20; ++round) {
    RandomPhase phase = makePhase(random, true);
    // Enough cells for several blocks per prefix and several chunks.
    const unsigned n = phase.system.size();
    std::vector<double> lower(n, -1.0), upper(n, 2.0);
    phase.jobs.enumeration.cells =
        triangularCells(n, n == 1 ? 700 : n == 2 ? 300 : 41, lower, upper);
    const bool accumulate = round % 2 == 0;
    const PhaseBands one = quietSolve(phase, 1, 1, accumulate);
    for (const auto& [solvers, generators] :
         {std::pair{2, 1}, std::pair{3, 2}, std::pair{2, 5}}) {
      expectSameBits(one, quietSolve(phase, solvers, generators, accumulate));
    }
  }
}

TEST(PhaseSolverTest, SamplingWithASeedDoesNotDependOnTheThreadCounts) {
  std::mt19937 random(5);
  for (int round = 0; round < 6; ++round) {
    RandomPhase phase = makePhase(random, false);
    phase.jobs.sampling.sampleCount = 70000;  // several chunks
    const PhaseBands one = quietSolve(phase, 1, 1, true);
    for (int solvers : {2, 4}) {
      expectSameBits(one, quietSolve(phase, solvers, 1, true));
    }
  }
}

// A sampling phase of 40 unknowns (the tiled replay) under every pivoting
// mode: the one-by-one replay's bands, and the same bits whether pass 1
// keeps its solved blocks for pass 2 or pass 2 draws and replays them again,
// for any thread count, and for two ranks of which only one keeps them.
TEST(PhaseSolverTest, KeptAndStreamedValuesGiveTheSameBits) {
  std::mt19937 random(40);
  std::uniform_real_distribution<double> real(-1.0, 1.0);
  for (int mode = 0; mode < 4; ++mode) {
    RandomPhase phase;
    const unsigned n = 40;
    phase.system = LinearSystem(n);
    for (unsigned r = 0; r < n; ++r) {
      for (unsigned c = 0; c < n; ++c) {
        phase.system.setCoefficient(r, c, real(random));
      }
    }
    phase.system.eliminate(pivotMode(mode));
    const auto family = static_cast<Family>(mode % 3);
    std::vector<double> first(n), second(n);
    for (unsigned e = 0; e < n; ++e) {
      first[e] = 3.0 * real(random);
      second[e] = family == Family::kNormal ? 0.25 : first[e] + 0.5;
    }
    phase.jobs.enumerate = false;
    // Two chunks, the second ending in a short block.
    phase.jobs.sampling = SamplingJobs{n, family, testing::pairEntries(first, second), 35000,
                                       static_cast<std::uint64_t>(mode)};
    for (unsigned e = 0; e < n; ++e) {
      phase.approx.push_back(NormalParameters{first[e], 0.1});
    }
    replaySteps(phase.approx, phase.system.steps());
    for (const NormalParameters& p : phase.approx) {
      phase.references.push_back(p.mean);
    }
    SCOPED_TRACE("mode " + std::to_string(mode));
    const auto solve = [&](int solvers, std::uint64_t budget,
                           ProcessGroup* group) {
      SolveOptions options{.solverThreads = solvers,
                           .histogramPrecision = 10,
                           .references = phase.references,
                           .group = group,
                           .memoryBudget = budget};
      return solvePhase(*sourceOf(phase.jobs), phase.system, options);
    };
    ::testing::internal::CaptureStdout();
    const PhaseBands streamed = solve(1, 0, nullptr);
    const PhaseBands kept = solve(3, kDefaultMemoryBudget, nullptr);
    std::vector<PhaseBands> shared(2);
    testing::InProcessRanks ranks(2);
    ranks.run([&](ProcessGroup& group) {
      const auto rank = static_cast<std::size_t>(group.rank());
      shared[rank] = solve(2, rank == 0 ? kDefaultMemoryBudget : 0, &group);
    });
    ::testing::internal::GetCapturedStdout();
    expectSameBands(phase, streamed, mode);
    expectSameBits(streamed, kept);
    for (const PhaseBands& bands : shared) expectSameBits(streamed, bands);
  }
}

// 130 unknowns: the counts of two or more threads are combined position
// by position on two threads (64 positions each at least), and every
// position is counted by one thread through all chunks. The same bits as
// on one thread, fine histograms (and their totals) included.
TEST(PhaseSolverTest, ManyUnknownsCombineOnThreadsToTheSameBits) {
  std::mt19937 random(130);
  std::uniform_real_distribution<double> real(-1.0, 1.0);
  RandomPhase phase;
  const unsigned n = 130;
  phase.system = LinearSystem(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) {
      phase.system.setCoefficient(r, c, r == c ? n + real(random) : real(random));
    }
  }
  phase.system.eliminate(pivotMode(1));
  std::vector<double> first(n), second(n, 0.04);
  for (double& mean : first) mean = 3.0 * real(random);
  phase.jobs.enumerate = false;
  phase.jobs.sampling =
      SamplingJobs{n, Family::kNormal, testing::pairEntries(first, second), 5000, 17};
  for (unsigned e = 0; e < n; ++e) {
    phase.approx.push_back(NormalParameters{first[e], 0.2});
  }
  replaySteps(phase.approx, phase.system.steps());
  for (const NormalParameters& p : phase.approx) {
    phase.references.push_back(p.mean);
  }
  const PhaseBands one = quietSolve(phase, 1, 1, true);
  ASSERT_TRUE(one[0].fine && one[n - 1].fine);
  for (const int solvers : {2, 3}) {
    const PhaseBands many = quietSolve(phase, solvers, 2, true);
    expectSameBits(one, many);
    for (unsigned e = 0; e < n; ++e) {
      ASSERT_EQ(many[e].fine->total(), one[e].fine->total()) << e;
    }
  }
}

// The phase shared by 2 and 3 ranks (threads standing in for processes,
// each with its own solver threads): every rank returns the bits of the
// lone phase, for phases of one chunk (fewer chunks than ranks) and of
// many, with and without moments and fine histograms.
TEST(PhaseSolverTest, RanksSharingAPhaseGiveTheLoneBits) {
  std::mt19937 random(31);
  for (int round = 0; round < 12; ++round) {
    RandomPhase phase = makePhase(random, round % 2 == 0);
    const unsigned n = phase.system.size();
    if (round % 4 == 0) {
      std::vector<double> lower(n, -1.0), upper(n, 2.0);
      phase.jobs.enumeration.cells =
          triangularCells(n, n == 1 ? 700 : n == 2 ? 300 : 41, lower, upper);
    } else if (round % 4 == 1) {
      phase.jobs.sampling.sampleCount = 70000;
    }
    const bool accumulate = round % 3 != 2;
    const PhaseBands lone = quietSolve(phase, 1, 1, accumulate);
    for (const int size : {2, 3}) {
      SCOPED_TRACE("round " + std::to_string(round) + ", " +
                   std::to_string(size) + " ranks");
      testing::InProcessRanks ranks(size);
      std::vector<PhaseBands> shared(static_cast<std::size_t>(size));
      ::testing::internal::CaptureStdout();
      ranks.run([&](ProcessGroup& group) {
        SolveOptions options{.solverThreads = 1 + group.rank() % 2,
                             .generatorThreads = 2,
                             .histogramPrecision = phase.histogramPrecision};
        if (accumulate) options.references = phase.references;
        options.group = &group;
        shared[static_cast<std::size_t>(group.rank())] =
            solvePhase(*sourceOf(phase.jobs), phase.system, options);
      });
      ::testing::internal::GetCapturedStdout();
      for (const PhaseBands& bands : shared) expectSameBits(lone, bands);
    }
  }
}

TEST(PhaseSolverTest, PrintsThePipelineLinesOfOnePassOnly) {
  // 350^2 = 122500 jobs: two progress lines, whatever the block boundaries.
  RandomPhase phase;
  phase.system = LinearSystem(2);
  phase.system = LinearSystem::fromRows(2, {2.0, 1.0, 1.0, 3.0});
  phase.system.eliminate(kPivotModes[1]);
  phase.jobs.enumeration.n = 2;
  phase.jobs.enumeration.cells =
      uniformCells(2, 350, std::vector<double>{0.0, 1.0},
                   std::vector<double>{1.0, 2.0});
  ::testing::internal::CaptureStdout();
  const PhaseBands bands = solvePhase(*sourceOf(phase.jobs), phase.system,
                   {.solverThreads = 3,
                    .generatorThreads = 2,
                    .histogramPrecision = 10});
  const std::string out = ::testing::internal::GetCapturedStdout();

  std::map<std::string, int> counts;
  std::vector<std::string> progress;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("I have solved ", 0) == 0) {
      progress.push_back(line);
    } else {
      ++counts[line];
    }
  }
  EXPECT_EQ(progress, (std::vector<std::string>{
                          "I have solved 50000 jobs already!",
                          "I have solved 100000 jobs already!"}));
  EXPECT_EQ(counts["Solver Thread Started!"], 3);
  EXPECT_EQ(counts["Stopper found."], 3);
  EXPECT_EQ(counts["Stopper inserted"], 1);
  EXPECT_EQ(counts["Generator Thread Started!"], 2);
  EXPECT_EQ(counts["Generator thread stopping!"], 2);
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ(bands[0].count, 122500u);
  double total = 0.0;
  for (double mass : bands[0].masses) total += mass;
  EXPECT_NEAR(total, 1.0, 1e-12);
}

TEST(PhaseSolverTest, ReferencesMustMatchThePositions) {
  RandomPhase phase;
  phase.system = LinearSystem(2);
  phase.system = LinearSystem::fromRows(2, {1.0, 0.0, 0.0, 1.0});
  phase.system.eliminate(kPivotModes[0]);
  phase.jobs.enumeration.n = 2;
  phase.jobs.enumeration.cells = uniformCells(2, 3, {0.0, 0.0}, {1.0, 1.0});
  SolveOptions options;
  options.references = {0.0, 0.0, 0.0};
  try {
    solvePhase(*sourceOf(phase.jobs), phase.system, options);
    FAIL() << "no error";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "solve phase: 3 references for 2 positions");
  }
}

// The progress gets the phase's jobs and replays before the first job (in
// enumeration the candidates of the extreme search and every job once, in
// sampling every job twice) and is done when the phase ends; a quiet run
// prints no job line. A stop requested before the phase ends it at once.
TEST(PhaseSolverTest, CountsEveryReplayOfBothPassesAndStops) {
  RandomPhase phase;
  phase.system = LinearSystem(2);
  phase.system = LinearSystem::fromRows(2, {2.0, 1.0, 1.0, 3.0});
  phase.system.eliminate(kPivotModes[0]);
  phase.jobs.enumeration.n = 2;
  phase.jobs.enumeration.cells =
      uniformCells(2, 300, std::vector<double>{0.0, 1.0},
                   std::vector<double>{1.0, 2.0});
  SamplingJobs sampling{2, Family::kUniform,
                        testing::pairEntries({0.0, 1.0}, {1.0, 2.0}), 5000, 3};
  showJobLines(false);
  for (const bool enumerate : {true, false}) {
    phase.jobs.enumerate = enumerate;
    phase.jobs.sampling = sampling;
    const std::uint64_t jobs = enumerate ? 90000 : 5000;
    PhaseProgress progress;
    progress.done = 12345;  // left from an earlier phase
    ::testing::internal::CaptureStdout();
    solvePhase(*sourceOf(phase.jobs), phase.system,
               {.solverThreads = 3,
                .generatorThreads = 2,
                .histogramPrecision = 10,
                .progress = &progress});
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(progress.jobs, jobs);
    if (enumerate) {
      EXPECT_GT(progress.total, jobs);
      EXPECT_LE(progress.total, jobs + 16);  // two candidates per extreme
    } else {
      EXPECT_EQ(progress.total, 2 * jobs);
    }
    EXPECT_EQ(progress.done, progress.total);
  }
  showJobLines(true);

  std::stop_source stop;
  stop.request_stop();
  ::testing::internal::CaptureStdout();
  EXPECT_THROW(solvePhase(*sourceOf(phase.jobs), phase.system, {.stop = stop.get_token()}),
               PhaseStopped);
  ::testing::internal::GetCapturedStdout();
}

TEST(PhaseSolverTest, APhaseWithoutJobsHasNoTables) {
  RandomPhase phase;
  phase.system = LinearSystem(2);
  phase.system = LinearSystem::fromRows(2, {1.0, 0.0, 0.0, 1.0});
  phase.system.eliminate(kPivotModes[0]);
  phase.jobs.enumeration.n = 2;  // no cells
  const PhaseBands bands = quietSolve(phase, 2, 2);
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ(bands[0].count, 0u);
  EXPECT_TRUE(bands[0].masses.empty());
}

// Many tiny phases on 16 solver and 16 generator threads, every fifth one
// stopped by another thread while it runs: the ThreadSanitizer build runs
// this to find races in starting, feeding, stopping and joining the threads.
// A phase that ends either matches the reference or throws PhaseStopped.
TEST(PhaseSolverTest, SixteenSolversAndGeneratorsOverManyTinyPhases) {
  std::mt19937 random(16);
  int stopped = 0;
  for (int round = 0; round < 200; ++round) {
    RandomPhase phase = makePhase(random, round % 3 != 0);
    const bool stopMidway = round % 5 == 4;
    if (stopMidway && phase.jobs.enumerate) {
      // Enough blocks that the stop usually comes while they flow.
      const unsigned n = phase.system.size();
      phase.jobs.enumeration.cells = uniformCells(
          n, n == 1 ? 20000 : n == 2 ? 150 : 30, std::vector<double>(n, 0.0),
          std::vector<double>(n, 1.0));
    }
    std::stop_source stop;
    PhaseProgress progress;
    std::jthread stopper;
    if (stopMidway) {
      stopper = std::jthread([&] {
        while (progress.done.load() == 0 && !stop.stop_requested()) {
          std::this_thread::yield();
        }
        stop.request_stop();
      });
    }
    ::testing::internal::CaptureStdout();
    try {
      const PhaseBands bands =
          solvePhase(*sourceOf(phase.jobs), phase.system,
                     {.solverThreads = 16,
                      .generatorThreads = 16,
                      .histogramPrecision = phase.histogramPrecision,
                      .stop = stop.get_token(),
                      .progress = &progress});
      ::testing::internal::GetCapturedStdout();
      if (!stopMidway) expectSameBands(phase, bands, round);
    } catch (const PhaseStopped&) {
      ::testing::internal::GetCapturedStdout();
      EXPECT_TRUE(stopMidway) << "round " << round;
      ++stopped;
    }
    stop.request_stop();  // ends a stopper still waiting for a solved job
  }
  EXPECT_GT(stopped, 0);
}

}  // namespace
}  // namespace linprob
