#include "solve/extreme_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stop_token>
#include <string>
#include <vector>

#include "distributions/discretisation.h"
#include "linear/step_replay.h"
#include "solve/band_table.h"

namespace linprob {
namespace {

// Every job replayed on its own, its values folded in as the phase folds
// them.
Extremes everyJob(const EnumerationJobs& jobs, const LinearSystem& system) {
  const unsigned n = jobs.n;
  Extremes extremes(n);
  const JobBlock probe(n);
  std::vector<std::size_t> index(n, 0);
  const std::size_t cells = jobs.cells.size();
  while (cells > 0) {
    std::vector<double> rhs(n);
    for (unsigned e = 0; e < n; ++e) rhs[e] = jobs.cells[index[e]][e].value;
    replaySteps(rhs, system.steps());
    for (unsigned e = 0; e < n; ++e) {
      extremes.takeMin(e, rhs[e]);
      extremes.takeMax(e, rhs[e]);
    }
    unsigned e = n;
    while (e > 0 && ++index[e - 1] == cells) index[--e] = 0;
    if (e == 0) break;
  }
  return extremes;
}

// The search over every prefix, in chunks of three prefixes merged in
// reverse order.
Extremes searched(const ExtremeSearch& search, const EnumerationJobs& jobs) {
  Extremes extremes(jobs.n);
  JobBlock block(jobs.n);
  const std::size_t prefixes = jobs.prefixCount();
  for (std::size_t end = prefixes; end > 0; end = end > 3 ? end - 3 : 0) {
    Extremes part(jobs.n);
    search.search(UnitRange{end > 3 ? end - 3 : 0, end}, part, block);
    extremes.merge(part);
  }
  return extremes;
}

void expectSameBits(const Extremes& found, const Extremes& expected,
                    const std::string& trace) {
  for (std::size_t e = 0; e < expected.min.size(); ++e) {
    // Bit for bit, the sign of a zero included.
    EXPECT_EQ(std::signbit(found.min[e]), std::signbit(expected.min[e])) << trace;
    EXPECT_EQ(found.min[e], expected.min[e]) << trace << " position " << e;
    EXPECT_EQ(std::signbit(found.max[e]), std::signbit(expected.max[e])) << trace;
    EXPECT_EQ(found.max[e], expected.max[e]) << trace << " position " << e;
  }
}

struct RandomCase {
  LinearSystem system{1};
  EnumerationJobs jobs;
};

// Random systems and cells, among them the awkward ones: triangular and
// diagonal matrices (positions that ignore some entries, so whole rows of
// cells tie), constant entries, ranges centred on 0 (signed zeros), entries
// of very different sizes.
RandomCase randomCase(std::mt19937& random) {
  std::uniform_int_distribution<unsigned> sizes(1, 4);
  std::uniform_real_distribution<double> real(-3.0, 3.0);
  const int shape = std::uniform_int_distribution<int>(0, 3)(random);
  RandomCase c;
  const unsigned n = sizes(random);
  c.system = LinearSystem(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned col = 0; col < n; ++col) {
      const bool kept = shape == 0 || (shape == 1 && col <= r) || r == col;
      c.system.setCoefficient(r, col, kept ? real(random) : 0.0);
    }
    c.system.setCoefficient(r, r, 8.0 + real(random));
  }
  const int mode = std::uniform_int_distribution<int>(0, 3)(random);
  c.system.eliminate(pivotMode(mode));
  std::vector<double> lower(n), upper(n);
  for (unsigned e = 0; e < n; ++e) {
    const double scale = std::ldexp(1.0, std::uniform_int_distribution<int>(-20, 20)(random));
    lower[e] = shape == 3 ? -scale : real(random) * scale;
    upper[e] = shape == 3 ? scale : lower[e] + std::fabs(real(random)) * scale;
    if (std::uniform_int_distribution<int>(0, 5)(random) == 0) upper[e] = lower[e];
  }
  const int cells = std::uniform_int_distribution<int>(1, 12)(random);
  c.jobs.n = n;
  c.jobs.cells = std::uniform_int_distribution<int>(0, 1)(random) == 0
                     ? uniformCells(n, cells, lower, upper)
                     : triangularCells(n, cells, lower, upper);
  return c;
}

TEST(ExtremeSearchTest, FindsTheExtremesOfEveryJobBitForBit) {
  std::mt19937 random(424242);
  int usable = 0;
  for (int round = 0; round < 400; ++round) {
    const RandomCase c = randomCase(random);
    // No limit (every job a candidate of each of the 2n walks): the search
    // must be right whatever the ties.
    const ExtremeSearch search(c.jobs, c.system.steps(),
                               2 * c.jobs.n * c.jobs.jobCount());
    ASSERT_TRUE(search.usable()) << "round " << round;
    ++usable;
    expectSameBits(searched(search, c.jobs), everyJob(c.jobs, c.system),
                   "round " + std::to_string(round));
  }
  EXPECT_EQ(usable, 400);
}

TEST(ExtremeSearchTest, ReplaysFewJobsUnlessEntriesTie) {
  // The bundled resistor network with 50 uniform cells per entry: the
  // extremes of each of the 4 positions come from a handful of the 6.25
  // million jobs.
  const double network[4][4] = {{3.0, -1.0, -1.0, 0.0},
                                {-1.0, 3.5, -0.5, -1.5},
                                {-1.0, -0.5, 2.5, -0.5},
                                {0.0, -1.5, -0.5, 2.2}};
  LinearSystem system(4);
  for (unsigned r = 0; r < 4; ++r) {
    for (unsigned c = 0; c < 4; ++c) system.setCoefficient(r, c, network[r][c]);
  }
  system.eliminate(kPivotModes[3]);
  const EnumerationJobs jobs{
      4, uniformCells(4, 50, {1.0, 2.0, 3.0, 4.0}, {1.4, 2.4, 3.4, 4.4})};
  const ExtremeSearch search(jobs, system.steps(), jobs.jobCount() / 4);
  ASSERT_TRUE(search.usable());
  EXPECT_LE(search.candidates(), 16u);

  // A diagonal system: each position ignores three entries, so every one of
  // their 125,000 combinations ties at each of the 8 extremes; one fewer
  // allowed and the search gives up.
  LinearSystem diagonal(4);
  for (unsigned r = 0; r < 4; ++r) diagonal.setCoefficient(r, r, 2.0 + r);
  diagonal.eliminate(kPivotModes[0]);
  const ExtremeSearch ties(jobs, diagonal.steps(), jobs.jobCount() / 4);
  ASSERT_TRUE(ties.usable());
  EXPECT_EQ(ties.candidates(), 8u * 125000u);
  EXPECT_FALSE(ExtremeSearch(jobs, diagonal.steps(), 8 * 125000 - 1).usable());
}

// Every position and direction has a candidate: a limit below two per
// position is never met, so a phase of fewer than 8 n jobs builds no search
// (at n = 500 and one cell its setup took seconds, for nothing).
TEST(ExtremeSearchTest, AppliesOnlyWhereItsLimitCanBeMet) {
  EXPECT_EQ(candidateLimitFor(100), 25u);
  EXPECT_EQ(candidateLimitFor(std::uint64_t{1} << 40), std::uint64_t{1} << 24);
  EXPECT_FALSE(searchMayApply(1, 500));
  EXPECT_FALSE(searchMayApply(8 * 500 - 1, 500));
  EXPECT_TRUE(searchMayApply(8 * 500, 500));
  EXPECT_FALSE(searchMayApply(100, 0));

  // Three entries of two cells: at least one candidate for each of the 6
  // targets.
  const EnumerationJobs jobs{3, uniformCells(3, 2, {0, 0, 0}, {1, 1, 1})};
  LinearSystem system = LinearSystem::fromRows(3, {4, 1, 0, 1, 5, 1, 0, 1, 6});
  system.eliminate(kPivotModes[0]);
  EXPECT_FALSE(ExtremeSearch(jobs, system.steps(), 5).usable());
  EXPECT_TRUE(ExtremeSearch(jobs, system.steps(), 64).usable());
}

TEST(ExtremeSearchTest, NonFiniteCellsOrPivotsLeaveItUnusable) {
  LinearSystem system(2);
  system = LinearSystem::fromRows(2, {2.0, 1.0, 1.0, 3.0});
  system.eliminate(kPivotModes[0]);
  EnumerationJobs jobs{2, uniformCells(2, 4, {0.0, 0.0}, {1.0, 1.0})};
  jobs.cells[2][1].value = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(ExtremeSearch(jobs, system.steps(), jobs.jobCount()).usable());
  const EnumerationJobs fine{2, uniformCells(2, 4, {0.0, 0.0}, {1.0, 1.0})};
  std::vector<step> broken = system.steps();
  broken.push_back(step{StepKind::kScaling, 0, 0, 0.0});
  EXPECT_FALSE(ExtremeSearch(fine, broken, fine.jobCount()).usable());
  EXPECT_TRUE(ExtremeSearch(fine, system.steps(), fine.jobCount()).usable());
  // A stop of the run ends the setup: nothing is usable.
  std::stop_source stop;
  stop.request_stop();
  EXPECT_FALSE(ExtremeSearch(fine, system.steps(), fine.jobCount(),
                             stop.get_token())
                   .usable());
}

}  // namespace
}  // namespace linprob
