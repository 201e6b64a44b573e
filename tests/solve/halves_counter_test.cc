// Counting by halves against the replay of every job: the same Min, Max and
// borders bit for bit, every job in the band its replay gives, coverage
// intervals that hold 95 % of the replayed jobs, whatever the threads and
// processes.
#include "solve/halves_counter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <cmath>
#include <random>
#include <sstream>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "distributions/discretisation.h"
#include "distributions/enumeration_source.h"
#include "linear/step_replay.h"
#include "results/coverage_interval.h"
#include "solve/phase_solver.h"
#include "support/in_process_ranks.h"

namespace linprob {
namespace {

struct Case {
  LinearSystem system{1};
  EnumerationJobs jobs;
  int histogramPrecision = 10;
  std::vector<double> references;
  std::string name;
};

enum class Shape {
  kDense, kTriangular, kIdentity, kLattice, kConstant, kNarrow
};

// A random phase of n entries with about `jobs` jobs. Lattice cases have
// integer matrices and cells, so sums land on borders exactly; the
// identity makes each position a single entry (every combination of the
// others ties); constant entries have one value in every cell; narrow
// entries spread over about a thousand units of their last place only (the
// narrowest the bands still allow), so that sums lie within the rounding
// bound of the borders.
Case randomCase(std::mt19937& random, unsigned n, Shape shape,
                double targetJobs) {
  std::uniform_real_distribution<double> real(-3.0, 3.0);
  std::uniform_int_distribution<int> small(-3, 3);
  Case c;
  c.system = LinearSystem(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned col = 0; col < n; ++col) {
      double v = 0.0;
      if (shape == Shape::kDense || shape == Shape::kConstant) v = real(random);
      if (shape == Shape::kTriangular && col <= r) v = real(random);
      if (shape == Shape::kLattice) v = small(random);
      c.system.setCoefficient(r, col, v);
    }
    c.system.setCoefficient(r, r,
                            shape == Shape::kIdentity  ? 1.0
                            : shape == Shape::kLattice ? 8.0 + small(random)
                                                       : 8.0 + real(random));
  }
  const int mode = std::uniform_int_distribution<int>(0, 3)(random);
  c.system.eliminate(pivotMode(mode));
  const auto cells = static_cast<int>(std::max(
      1.0, std::floor(std::pow(targetJobs, 1.0 / static_cast<double>(n)))));
  std::vector<double> lower(n), upper(n);
  for (unsigned e = 0; e < n; ++e) {
    if (shape == Shape::kLattice || shape == Shape::kIdentity) {
      // Uniform cells centred on integers: 0 ... cells-1 plus an offset.
      lower[e] = small(random) - 0.5;
      upper[e] = lower[e] + cells;
    } else {
      const double scale = std::ldexp(1.0, small(random) * 4);
      lower[e] = real(random) * scale;
      upper[e] = lower[e] + (0.1 + std::fabs(real(random))) * scale;
    }
    if (shape == Shape::kConstant && e % 2 == 0) upper[e] = lower[e];
    if (shape == Shape::kNarrow) {
      lower[e] = 1.0 + e;
      upper[e] = lower[e] + lower[e] * 0x1p-42;
    }
  }
  c.jobs.n = n;
  int family = std::uniform_int_distribution<int>(0, 2)(random);
  if (shape == Shape::kLattice || shape == Shape::kIdentity ||
      shape == Shape::kConstant || shape == Shape::kNarrow) {
    family = 0;
  }
  std::vector<double> variance(n);
  for (unsigned e = 0; e < n; ++e) {
    const double halfWidth = (upper[e] - lower[e]) / 2;
    variance[e] = halfWidth * halfWidth;
  }
  c.jobs.cells =
      family == 0   ? uniformCells(n, cells, lower, upper)
      : family == 1 ? triangularCells(n, cells, lower, upper)
                    : normalCells(n, cells, lower, variance);
  c.histogramPrecision = std::uniform_int_distribution<int>(1, 25)(random);
  std::vector<NormalParameters> means;
  for (unsigned e = 0; e < n; ++e) {
    means.push_back(NormalParameters{(lower[e] + upper[e]) / 2, 1.0});
  }
  replaySteps(means, c.system.steps());
  for (const NormalParameters& m : means) c.references.push_back(m.mean);
  std::ostringstream name;
  name << "n " << n << ", shape " << static_cast<int>(shape) << ", mode "
       << mode << ", " << cells << " cells, H " << c.histogramPrecision;
  c.name = name.str();
  return c;
}

// Every job replayed on its own; calls visit(values, probability) in
// enumeration order.
template <typename Visit>
void everyJob(const Case& c, Visit&& visit) {
  const EnumerationJobs& jobs = c.jobs;
  const unsigned n = jobs.n;
  std::vector<std::size_t> index(n, 0);
  while (true) {
    std::vector<double> rhs(n);
    double probability = 1.0;
    for (unsigned e = 0; e < n; ++e) {
      rhs[e] = jobs.cells[index[e]][e].value;
      probability = probability * jobs.cells[index[e]][e].probability;
    }
    replaySteps(rhs, c.system.steps());
    visit(rhs, probability);
    unsigned e = n;
    while (e > 0 && ++index[e - 1] == jobs.cells.size()) index[--e] = 0;
    if (e == 0) return;
  }
}

PhaseBands solve(const Case& c, CountingChoice counting, int threads,
                 bool accumulate, CountingPlan* plan = nullptr) {
  SolveOptions options{.solverThreads = threads,
                       .generatorThreads = 2,
                       .histogramPrecision = c.histogramPrecision};
  if (accumulate) options.references = c.references;
  options.counting = counting;
  options.plan = plan;
  // The capture ends even when the phase throws, so that gtest's own
  // report of it is seen.
  struct Quiet {
    Quiet() { ::testing::internal::CaptureStdout(); }
    ~Quiet() { ::testing::internal::GetCapturedStdout(); }
  } quiet;
  return solvePhase(EnumerationSource(c.jobs), c.system, options);
}

// The masses of the bands each job's replay falls in, added in job order.
std::vector<std::vector<double>> replayedMasses(const Case& c,
                                                const PhaseBands& bands) {
  std::vector<std::vector<double>> masses(bands.size());
  for (std::size_t e = 0; e < bands.size(); ++e) {
    masses[e].assign(bands[e].borders.size(), 0.0);
  }
  everyJob(c, [&](const std::vector<double>& values, double probability) {
    for (std::size_t e = 0; e < bands.size(); ++e) {
      double& mass = masses[e][bandIndex(bands[e], values[e])];
      mass = mass + probability;
    }
  });
  return masses;
}

void expectSameBorders(const PhaseBands& halves, const PhaseBands& replay) {
  ASSERT_EQ(halves.size(), replay.size());
  for (std::size_t e = 0; e < halves.size(); ++e) {
    EXPECT_EQ(std::signbit(halves[e].min), std::signbit(replay[e].min));
    EXPECT_EQ(halves[e].min, replay[e].min);
    EXPECT_EQ(std::signbit(halves[e].max), std::signbit(replay[e].max));
    EXPECT_EQ(halves[e].max, replay[e].max);
    EXPECT_EQ(halves[e].step, replay[e].step);
    EXPECT_EQ(halves[e].borders, replay[e].borders);
    EXPECT_EQ(halves[e].count, replay[e].count);
  }
}

Shape shapeOf(int round) { return static_cast<Shape>(round % 6); }

// The heart of it: every band's mass is the mass of the jobs its replay
// puts there, with three kinds of weights. Cells of probability 1: a job
// weighs 1 and every sum is exact, so the masses are the counts of jobs per
// band and must be equal. Cells of weights between 0.5 and 1: every job
// weighs at least 0.5^8, a hundred times more than the roundings of the
// masses, so any job in the wrong band shows. And the families' own cells.
TEST(HalvesCounterTest, EveryJobLiesInTheBandOfItsReplay) {
  std::mt19937 random(2126);
  std::uniform_real_distribution<double> weight(0.5, 1.0);
  int counted = 0;
  for (int round = 0; round < 480; ++round) {
    const unsigned n = 1 + static_cast<unsigned>(round % 8);
    Case c = randomCase(random, n, shapeOf(round / 8), n <= 3 ? 3000 : 8000);
    const int weights = round % 3;
    if (weights != 2) {
      for (auto& cells : c.jobs.cells) {
        for (auto& cell : cells) {
          cell.probability = weights == 0 ? 1.0 : weight(random);
        }
      }
    }
    SCOPED_TRACE("round " + std::to_string(round) + ": " + c.name);
    CountingPlan plan;
    const PhaseBands halves =
        solve(c, CountingChoice::kHalves, 1 + round % 3, false, &plan);
    ASSERT_EQ(plan.method, CountingMethod::kHalves) << plan.reason;
    ++counted;
    const PhaseBands replay = solve(c, CountingChoice::kReplay, 2, false);
    expectSameBorders(halves, replay);
    const auto masses = replayedMasses(c, halves);
    // The replay's masses add up the jobs' weights one after the other:
    // each rounding at most half a unit of the total.
    double total = 0.0;
    double least = 1.0;
    everyJob(c, [&](const std::vector<double>&, double p) {
      total += p;
      least = std::min(least, p);
    });
    const double tolerance = static_cast<double>(
        c.jobs.jobCount()) * 0x1p-52 * std::max(total, 1.0);
    if (weights == 1) {
      ASSERT_GT(least, 100 * tolerance);
    }
    for (std::size_t e = 0; e < halves.size(); ++e) {
      for (std::size_t k = 0; k < masses[e].size(); ++k) {
        const double allowed = weights == 0 ? 0.0 : tolerance;
        EXPECT_NEAR(halves[e].masses[k], masses[e][k], allowed)
            << "position " << e << " band " << k;
        EXPECT_NEAR(halves[e].masses[k], replay[e].masses[k], allowed)
            << "position " << e << " band " << k;
      }
    }
  }
  EXPECT_EQ(counted, 480);
}

// Fine sub-band counts of every job's replay, one job at a time.
std::vector<FineHistogram> replayedFine(const Case& c, const PhaseBands& bands) {
  std::vector<FineHistogram> fine;
  for (const PositionBands& position : bands) {
    fine.emplace_back(position.min, position.max);
  }
  everyJob(c, [&](const std::vector<double>& values, double probability) {
    for (std::size_t e = 0; e < bands.size(); ++e) {
      fine[e].add(values[e], probability);
    }
  });
  return fine;
}

// C_k of a histogram: the counts of sub-bands 0 ... k-1.
std::uint64_t massBelow(const FineHistogram& fine, std::size_t k) {
  std::uint64_t mass = 0;
  for (std::size_t f = 0; f < k; ++f) mass += fine.counts()[f];
  return mass;
}

// The coverage borders by halves against those of every job's replay: each
// interval holds 95 % of the replayed mass (the symmetric one 2.5 % or less
// on either side) and lies within a sub-band of the replay's, which it
// equals but for roundings of a threshold; the moments agree to rounding.
// Where the undecided pairs are too many (narrow entries), the fine
// histogram of a replay of every job takes the place of the borders.
TEST(HalvesCounterTest, CoverageHoldsWhatTheReplayOfEveryJobHolds) {
  std::mt19937 random(404);
  int compared = 0;
  int equal = 0;
  int replayedFines = 0;
  for (int round = 0; round < 90; ++round) {
    const unsigned n = 2 + static_cast<unsigned>(round % 6);
    const Case c = randomCase(random, n, shapeOf(round / 6), 20000);
    SCOPED_TRACE("round " + std::to_string(round) + ": " + c.name);
    CountingPlan plan;
    const PhaseBands halves = solve(c, CountingChoice::kHalves, 2, true, &plan);
    ASSERT_EQ(plan.method, CountingMethod::kHalves);
    const std::vector<FineHistogram> fine = replayedFine(c, halves);
    for (std::size_t e = 0; e < halves.size(); ++e) {
      SCOPED_TRACE("position " + std::to_string(e));
      const std::optional<CoverageInterval> exact = coverageInterval(fine[e]);
      if (halves[e].fine) {
        // The replay of every job: the same counts, job by job.
        ++replayedFines;
        EXPECT_FALSE(halves[e].coverage.has_value());
        EXPECT_EQ(halves[e].fine->counts(), fine[e].counts());
        continue;
      }
      if (!exact) continue;
      ASSERT_TRUE(halves[e].coverage.has_value());
      const CoverageBorders& found = *halves[e].coverage;
      using Wide = unsigned __int128;
      const Wide total = fine[e].total();
      const Wide low = massBelow(fine[e], found.symmetricLower);
      const Wide high = massBelow(fine[e], found.symmetricUpper);
      const Wide shortLow = massBelow(fine[e], found.shortestLower);
      const Wide shortHigh = massBelow(fine[e], found.shortestUpper);
      // A threshold missed by a rounding may move a border by one.
      const Wide slack = total / 1000000000;
      EXPECT_LE(40 * low, total + 40 * slack);
      EXPECT_GE(40 * high + 40 * slack, 39 * total);
      EXPECT_GE(20 * (shortHigh - shortLow) + 20 * slack, 19 * total);
      auto near = [](std::size_t x, std::size_t y) {
        return x + 1 >= y && y + 1 >= x;
      };
      EXPECT_TRUE(near(found.symmetricLower, exact->symmetricLowerBorder));
      EXPECT_TRUE(near(found.symmetricUpper, exact->symmetricUpperBorder));
      EXPECT_TRUE(near(found.shortestLower, exact->shortestLowerBorder));
      EXPECT_TRUE(near(found.shortestUpper, exact->shortestUpperBorder));
      ++compared;
      equal += found.symmetricLower == exact->symmetricLowerBorder &&
               found.symmetricUpper == exact->symmetricUpperBorder &&
               found.shortestLower == exact->shortestLowerBorder &&
               found.shortestUpper == exact->shortestUpperBorder;

      WeightedMoments moments(c.references[e]);
      double spread = 0.0;
      everyJob(c, [&](const std::vector<double>& values, double p) {
        moments.add(values[e], p);
        spread = std::max(spread, std::fabs(values[e] - c.references[e]));
      });
      ASSERT_TRUE(halves[e].moments.has_value());
      // The order of the additions, relative to the spread, and the last
      // places of a mean far from 0.
      const double tolerance =
          1e-12 * spread + 1e-15 * std::fabs(c.references[e]) + 1e-300;
      EXPECT_NEAR(halves[e].moments->mean(), moments.mean(), tolerance);
      EXPECT_NEAR(halves[e].moments->sd(), moments.sd(), tolerance);
    }
  }
  EXPECT_GT(compared, 200);
  EXPECT_GE(equal, compared - compared / 50);
  EXPECT_GT(replayedFines, 0);
}

// The bits of a phase counted by halves do not depend on the threads, nor
// on the processes that share it.
TEST(HalvesCounterTest, ThreadsAndRanksGiveTheSameBits) {
  std::mt19937 random(77);
  // Positions whose fine histogram is replayed (the ranks share its prefixes)
  // and whose borders are searched (the ranks share the positions).
  int replayedFines = 0;
  int searched = 0;
  for (int round = 0; round < 8; ++round) {
    const unsigned n = 2 + static_cast<unsigned>(round % 4);
    const Case c = randomCase(random, n, shapeOf(round), 60000);
    SCOPED_TRACE("round " + std::to_string(round) + ": " + c.name);
    const PhaseBands one = solve(c, CountingChoice::kHalves, 1, true);
    auto expectSame = [&](const PhaseBands& other) {
      ASSERT_EQ(other.size(), one.size());
      for (std::size_t e = 0; e < one.size(); ++e) {
        EXPECT_EQ(other[e].masses, one[e].masses);
        EXPECT_EQ(other[e].moments->sumWeight(), one[e].moments->sumWeight());
        EXPECT_EQ(other[e].moments->sumFirst(), one[e].moments->sumFirst());
        EXPECT_EQ(other[e].moments->sumSecond(), one[e].moments->sumSecond());
        EXPECT_EQ(other[e].coverage, one[e].coverage);
        ASSERT_EQ(other[e].fine.has_value(), one[e].fine.has_value());
        if (one[e].fine) {
          EXPECT_EQ(other[e].fine->counts(), one[e].fine->counts());
        }
      }
    };
    for (const PositionBands& position : one) {
      replayedFines += position.fine.has_value();
      searched += position.coverage.has_value();
    }
    expectSame(solve(c, CountingChoice::kHalves, 3, true));
    for (const int size : {2, 3}) {
      testing::InProcessRanks ranks(size);
      std::vector<PhaseBands> shared(static_cast<std::size_t>(size));
      ::testing::internal::CaptureStdout();
      ranks.run([&](ProcessGroup& group) {
        SolveOptions options{.solverThreads = 1 + group.rank() % 2,
                             .generatorThreads = 1,
                             .histogramPrecision = c.histogramPrecision};
        options.references = c.references;
        options.counting = CountingChoice::kHalves;
        options.group = &group;
        shared[static_cast<std::size_t>(group.rank())] =
            solvePhase(EnumerationSource(c.jobs), c.system, options);
      });
      ::testing::internal::GetCapturedStdout();
      for (const PhaseBands& bands : shared) expectSame(bands);
    }
  }
  EXPECT_GT(replayedFines, 0);
  EXPECT_GT(searched, 3);
}

// A stop requested at any point of a phase counted by halves (the extreme
// search, the chunks, the coverage search, the replay of a position's fine
// histogram) ends it with PhaseStopped; a phase the stop comes too late for
// gives the bands of an unstopped one.
TEST(HalvesCounterTest, AStopEndsEveryStage) {
  std::mt19937 random(5150);
  int stopped = 0;
  for (int round = 0; round < 12; ++round) {
    const Case c = randomCase(random, 4 + round % 3,
                              round % 2 == 0 ? Shape::kNarrow : Shape::kDense,
                              200000);
    SCOPED_TRACE("round " + std::to_string(round) + ": " + c.name);
    const PhaseBands whole = solve(c, CountingChoice::kHalves, 2, true);
    // Past the first pass, the halves add the jobs a chunk at a time.
    const std::uint64_t after = c.jobs.jobCount() / 12 * (round % 12);
    std::stop_source stop;
    PhaseProgress progress;
    std::jthread stopper([&] {
      while (progress.done.load() < after && !stop.stop_requested()) {
        std::this_thread::yield();
      }
      stop.request_stop();
    });
    SolveOptions options{.solverThreads = 2,
                         .generatorThreads = 2,
                         .histogramPrecision = c.histogramPrecision,
                         .stop = stop.get_token(),
                         .progress = &progress};
    options.references = c.references;
    options.counting = CountingChoice::kHalves;
    ::testing::internal::CaptureStdout();
    try {
      const PhaseBands bands =
          solvePhase(EnumerationSource(c.jobs), c.system, options);
      ::testing::internal::GetCapturedStdout();
      for (std::size_t e = 0; e < whole.size(); ++e) {
        EXPECT_EQ(bands[e].masses, whole[e].masses);
        EXPECT_EQ(bands[e].coverage, whole[e].coverage);
      }
    } catch (const PhaseStopped&) {
      ::testing::internal::GetCapturedStdout();
      ++stopped;
    }
    stop.request_stop();
  }
  EXPECT_GT(stopped, 0);
}

// The console counts the combinations accounted for, as the replay counts
// the jobs it solved, with the pipeline's lines.
TEST(HalvesCounterTest, PrintsTheLinesOfTheReplay) {
  Case c;
  c.system = LinearSystem::fromRows(2, {2.0, 1.0, 1.0, 3.0});
  c.system.eliminate(pivotMode(1));
  c.jobs.n = 2;
  c.jobs.cells = uniformCells(2, 350, {0.0, 1.0}, {1.0, 2.0});
  auto linesOf = [&](CountingChoice counting) {
    SolveOptions options{.solverThreads = 3, .generatorThreads = 2};
    options.counting = counting;
    ::testing::internal::CaptureStdout();
    solvePhase(EnumerationSource(c.jobs), c.system, options);
    std::vector<std::string> lines;
    std::istringstream out(::testing::internal::GetCapturedStdout());
    for (std::string line; std::getline(out, line);) {
      // Naps and wake-ups depend on the timing.
      if (line.rfind("Generator thread taking", 0) == 0 ||
          line.rfind("Generator thread waking", 0) == 0) {
        continue;
      }
      lines.push_back(line);
    }
    // The progress lines in order, the others in any.
    std::stable_partition(lines.begin(), lines.end(), [](const std::string& l) {
      return l.rfind("I have solved ", 0) == 0;
    });
    std::sort(lines.begin() + 2, lines.end());
    return lines;
  };
  const std::vector<std::string> halves = linesOf(CountingChoice::kHalves);
  EXPECT_EQ(halves, linesOf(CountingChoice::kReplay));
  ASSERT_GE(halves.size(), 2u);
  EXPECT_EQ(halves[0], "I have solved 50000 jobs already!");
  EXPECT_EQ(halves[1], "I have solved 100000 jobs already!");
}

TEST(HalvesCounterTest, PlanSaysWhichAndWhy) {
  // The bundled example's phases: by halves, far cheaper.
  PhaseShape example{.n = 4, .cells = 50, .bands = 11,
                     .coveragePositions = 4, .threads = 2};
  const CountingPlan cheaper = planCounting(example, CountingChoice::kCheaper);
  EXPECT_EQ(cheaper.method, CountingMethod::kHalves);
  EXPECT_EQ(cheaper.split, 2u);
  EXPECT_EQ(cheaper.reason.rfind("counting by halves: about ", 0), 0u)
      << cheaper.reason;
  EXPECT_LT(cheaper.halvesSeconds * 2, cheaper.replaySeconds);
  // A few hundred jobs: replaying them costs less.
  const CountingPlan small = planCounting(
      PhaseShape{.n = 2, .cells = 9, .bands = 11}, CountingChoice::kCheaper);
  EXPECT_EQ(small.method, CountingMethod::kReplay);
  EXPECT_EQ(small.reason.rfind("replaying every job: about ", 0), 0u);
  const CountingPlan asked = planCounting(
      PhaseShape{.n = 2, .cells = 9, .bands = 11}, CountingChoice::kHalves);
  EXPECT_EQ(asked.method, CountingMethod::kHalves);
  EXPECT_EQ(asked.reason.rfind("counting by halves, as asked: about ", 0), 0u)
      << asked.reason;
  // The split stays the one the first weights chose (another rounds a few
  // masses apart): 4 of 8 at 10 cells, where the refit weights would take
  // 3; the time reported is the refit one.
  const CountingPlan eight = planCounting(
      PhaseShape{.n = 8, .cells = 10, .bands = 11, .coveragePositions = 8,
                 .threads = 2},
      CountingChoice::kCheaper);
  EXPECT_EQ(eight.split, 4u);
  EXPECT_GT(eight.halvesSeconds, 0.1);
  // Parts that do not fit the budget.
  example.memoryBudget = 4096;
  const CountingPlan over = planCounting(example, CountingChoice::kHalves);
  EXPECT_EQ(over.method, CountingMethod::kReplay);
  EXPECT_EQ(over.reason,
            "replaying every job: counting by halves needs at least 1.28 "
            "MiB, over the budget of 0.00391 MiB");
  EXPECT_EQ(planCounting(example, CountingChoice::kReplay).reason,
            "replaying every job, as asked");
}

// The halves' setup (some 3n replays) counts against them: one job of
// 1,000 unknowns with one band was counted by halves, most of a minute
// for a replay of a third of a millisecond.
TEST(HalvesCounterTest, APhaseOfFewJobsIsReplayed) {
  const CountingPlan one = planCounting(
      PhaseShape{.n = 1000, .cells = 1, .bands = 1, .threads = 2},
      CountingChoice::kCheaper);
  EXPECT_EQ(one.method, CountingMethod::kReplay);
  EXPECT_GT(one.halvesSeconds, 0.5);
  EXPECT_LT(one.replaySeconds, 0.001);
}

}  // namespace
}  // namespace linprob
