#include "solve/part_sums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "distributions/discretisation.h"
#include "linear/linear_system.h"
#include "solve/part_cuts.h"

namespace linprob {
namespace {

// Every combination of a part in lexicographic order, its value the
// contributions added in entry order, its probability the product in entry
// order from 1.0; sorting keeps each combination with its own probability
// and cellsOf gives back its cells.
TEST(PartSumsTest, ListsEveryCombinationOfThePart) {
  // By columns: A(r, c) = columns[c][r].
  const double columns[3][3] = {{4.0, 1.0, 0.5}, {1.0, 5.0, -1.0}, {0.5, 2.0, 3.0}};
  LinearSystem system(3);
  for (unsigned r = 0; r < 3; ++r) {
    for (unsigned c = 0; c < 3; ++c) system.setCoefficient(r, c, columns[c][r]);
  }
  system.eliminate(pivotMode(3));
  const EnumerationJobs jobs{
      3, triangularCells(3, 4, {0.0, 1.0, -2.0}, {1.0, 3.0, 2.0})};
  const Contributions contributions(jobs, system.steps());
  ASSERT_TRUE(contributions.finite());
  const PartSums listed = partProbabilities(jobs, 1, 3);
  PartSums part = partSums(contributions, listed, 2, 1, 3);
  ASSERT_EQ(part.size(), 16u);
  for (std::uint32_t c = 0; c < 16; ++c) {
    std::uint32_t cells[3] = {0, 0, 0};
    cellsOf(c, 4, 1, 3, cells);
    EXPECT_EQ(cells[1], c / 4);
    EXPECT_EQ(cells[2], c % 4);
    const double value = contributions.at(1, cells[1], 2) +
                         contributions.at(2, cells[2], 2);
    const double probability = 1.0 * jobs.cells[cells[1]][1].probability *
                               jobs.cells[cells[2]][2].probability;
    EXPECT_EQ(part.values[c], value);
    EXPECT_EQ(part.probabilities[c], probability);
  }
  const PartSums unsorted = part;
  sortPart(part, 0);
  EXPECT_TRUE(std::is_sorted(part.values.begin(), part.values.end()));
  for (std::size_t i = 0; i < part.size(); ++i) {
    const std::uint32_t c = part.combinations[i];
    EXPECT_EQ(part.values[i], unsorted.values[c]);
    EXPECT_EQ(part.probabilities[i], unsorted.probabilities[c]);
  }
  const PartSums none = partProbabilities(jobs, 3, 3);
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(partSums(contributions, none, 0, 3, 3).values,
            std::vector<double>{0.0});
}

// A range's mass is exact to a few roundings relative to itself, however
// small beside the masses around it.
TEST(PartSumsTest, RangeMassesAreExactRelativeToThemselves) {
  std::mt19937 random(12);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> probabilities(3000);
  for (std::size_t i = 0; i < probabilities.size(); ++i) {
    // Heavy ones with runs of tiny ones between them.
    probabilities[i] = (i / 100) % 2 == 0 ? unit(random)
                                          : unit(random) * 1e-200;
  }
  const PartMasses masses(probabilities);
  for (int round = 0; round < 2000; ++round) {
    std::size_t first = random() % probabilities.size();
    std::size_t end = random() % (probabilities.size() + 1);
    if (first > end) std::swap(first, end);
    long double exact = 0.0L;
    for (std::size_t i = first; i < end; ++i) exact += probabilities[i];
    const double mass = masses.range(first, end);
    EXPECT_NEAR(mass, static_cast<double>(exact),
                1e-13 * static_cast<double>(exact))
        << first << " ... " << end;
  }
  EXPECT_EQ(masses.range(5, 5), 0.0);
}

// Cuts land where a search of the sorted sums puts them, for spread sums,
// sums piled on a few values, and a single one.
TEST(PartSumsTest, CutsLandWhereASearchPutsThem) {
  std::mt19937 random(99);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int shape = 0; shape < 3; ++shape) {
    std::vector<double> sums(shape == 2 ? 1 : 5000);
    for (double& v : sums) {
      v = shape == 0 ? unit(random) : std::round(unit(random) * 4.0) / 4.0;
    }
    std::sort(sums.begin(), sums.end());
    const PartCuts cuts(sums);
    std::vector<double> probes;
    for (int j = 0; j < 3000; ++j) probes.push_back(unit(random) * 1.5);
    for (double v : sums) probes.push_back(v);
    probes.push_back(-std::numeric_limits<double>::infinity());
    for (double cut : probes) {
      const auto low = static_cast<std::size_t>(
          std::lower_bound(sums.begin(), sums.end(), cut) - sums.begin());
      const auto high = static_cast<std::size_t>(
          std::upper_bound(sums.begin(), sums.end(), cut) - sums.begin());
      ASSERT_EQ(cuts.firstNotBelow(cut), low) << cut;
      ASSERT_EQ(cuts.firstAbove(cut), high) << cut;
    }
    // The batch's starts never pass the answer.
    std::vector<double> a(probes);
    std::sort(a.begin(), a.end());
    std::vector<std::uint32_t> starts(a.size());
    cuts.startsNotBelow(a.data(), a.size(), 0.25, 1e-9, starts.data());
    for (std::size_t j = 0; j < a.size(); ++j) {
      const double rest = 0.25 - a[j];
      EXPECT_LE(starts[j], cuts.firstNotBelow(rest - 1e-9));
    }
  }
}

}  // namespace
}  // namespace linprob
