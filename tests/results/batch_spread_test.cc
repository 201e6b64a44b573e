#include "results/batch_spread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace linprob {
namespace {

// sqrt(sum (y - ybar)^2 / (h (h - 1))): the spread of h equal batches.
double equalBatchError(const std::vector<double>& y) {
  double mean = 0.0;
  for (const double v : y) mean += v / static_cast<double>(y.size());
  double sum = 0.0;
  for (const double v : y) sum += (v - mean) * (v - mean);
  const auto h = static_cast<double>(y.size());
  return std::sqrt(sum / (h * (h - 1.0)));
}

TEST(BatchSpread, StandardErrorOfWeightedBatches) {
  const std::vector<double> y = {1.0, 2.5, -0.5, 3.0, 1.25};
  EXPECT_NEAR(batchStandardError(std::vector<double>(5, 0.2), y),
              equalBatchError(y), 1e-15);
  // Only the weights' proportions count.
  EXPECT_NEAR(batchStandardError(std::vector<double>(5, 7.0), y),
              equalBatchError(y), 1e-15);
  // Weights 1 and 3, estimates 0 and 4: ybar = 3, u^2 = 2 (0.75^2 + 0.75^2).
  EXPECT_EQ(batchStandardError(std::vector<double>{1.0, 3.0},
                               std::vector<double>{0.0, 4.0}),
            1.5);
  EXPECT_TRUE(std::isnan(batchStandardError(std::vector<double>{1.0},
                                            std::vector<double>{2.0})));
}

TEST(BatchSpread, JackknifeOfEqualAndUnequalGroups) {
  // Equal groups: (h - 1) / h sum (t_r - mean t_r)^2.
  const std::vector<double> leftOut = {2.0, 2.5, 1.5, 2.0};
  const std::vector<double> equal(4, 0.25);
  // mean 2, squares 0 + 0.25 + 0.25 + 0 = 0.5, times 3/4.
  EXPECT_NEAR(jackknifeError(equal, 2.1, leftOut), std::sqrt(0.375), 1e-15);
  // Unequal groups of 1, 1 and 2 values: 0, 6 and 3, 3 (mean 3). Left out:
  // 4, 2 and 3; g_r = 4, 4, 2; the pseudo-values are the groups' own means
  // 0, 6, 3 and t_J = 9 - (0.75 * 4 + 0.75 * 2 + 0.5 * 3) = 3, so
  // u^2 = (9 / 3 + 9 / 3 + 0 / 1) / 3 = 2.
  const std::vector<double> shares = {0.25, 0.25, 0.5};
  const std::vector<double> without = {4.0, 2.0, 3.0};
  EXPECT_NEAR(jackknifeError(shares, 3.0, without), std::sqrt(2.0), 1e-15);
  // A group that holds everything, or a lone group, leaves nothing.
  EXPECT_TRUE(std::isnan(jackknifeError(std::vector<double>{1.0, 0.0}, 1.0,
                                        std::vector<double>{0.0, 1.0})));
  EXPECT_TRUE(std::isnan(jackknifeError(std::vector<double>{1.0}, 1.0,
                                        std::vector<double>{1.0})));
}

TEST(BatchSpread, SubsamplesScaleAsTheCubeRootOfTheirShare) {
  // Eight equal batches of 1/8: each spreads 2 times as much as the whole
  // at the cube-root rate, so u is the batches' sd over 2.
  const std::vector<double> y = {1.0, 3.0, 2.0, 2.0, 0.0, 4.0, 1.5, 2.5};
  const std::vector<double> shares(8, 0.125);
  double mean = 0.0;
  for (const double v : y) mean += v / 8.0;
  double sum = 0.0;
  for (const double v : y) sum += (v - mean) * (v - mean);
  const double sd = std::sqrt(sum / 7.0);
  EXPECT_NEAR(subsampleError(shares, y, 1.0 / 3.0), sd / 2.0, 1e-15);
  // At the rate 1/4 they spread 8^(1/4) times as much.
  EXPECT_NEAR(subsampleError(shares, y, 0.25), sd / std::pow(8.0, 0.25), 1e-15);
  EXPECT_TRUE(std::isnan(subsampleError(std::vector<double>{1.0},
                                        std::vector<double>{1.0}, 0.25)));
}

}  // namespace
}  // namespace linprob
