#include "solve/counting_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace linprob {
namespace {

constexpr double kMaxPartSums = 4294967296.0;  // 2^32

double log2Of(double x) { return x > 1.0 ? std::log2(x) : 0.0; }

// The nanoseconds of the halves' stages per sum (counting_plan.h): the
// weights a split and a method are chosen by, and those refit to measured
// phases that the plan's times take. The choice keeps the first: another
// split or method rounds a few masses apart in their last bits, and the
// files of a run must not change with a refit.
struct Weights {
  double sortPerSum = 0.0;      // per A log2 A (and B log2 B)
  double bandsPerBorder = 0.0;  // per A and border
  double bandsPerHalf = 0.0;    // per A and (K / 2 + 1)
  double coveragePerSum = 0.0;  // per A
};
constexpr Weights kChoiceWeights{5.0, 12.0, 4.0, 600.0};
constexpr Weights kTimeWeights{6.0, 20.0, 6.0, 1000.0};

// The memory and time of halves split after `split` entries.
struct Estimate {
  double bytes = 0.0;
  double nanoseconds = 0.0;
};

Estimate halvesEstimate(const PhaseShape& shape, unsigned split,
                        const Weights& weights) {
  const double c = static_cast<double>(shape.cells);
  const double a = std::pow(c, static_cast<double>(split));
  const double b = std::pow(c, static_cast<double>(shape.n - split));
  const double k = static_cast<double>(shape.bands);
  const double positions = shape.n;
  const double leaves = std::exp2(std::ceil(log2Of(b)));
  Estimate estimate;
  estimate.bytes = positions * (20.0 * a + 68.0 * b + 16.0 * leaves) +
                   static_cast<double>(shape.threads) * 40.0 * a;
  const double sorting =
      weights.sortPerSum * (a * log2Of(a) + b * log2Of(b)) + 8.0 * (a + b);
  const double bands = a * (weights.bandsPerBorder * (k - 1.0) +
                            weights.bandsPerHalf * (k / 2.0 + 1.0));
  const double coverage = weights.coveragePerSum * a + 5.0 * a * log2Of(a);
  estimate.nanoseconds =
      positions * (sorting + bands) +
      static_cast<double>(shape.coveragePositions) * coverage;
  return estimate;
}

std::string duration(double seconds) {
  char text[32];
  if (seconds < 1.0) {
    std::snprintf(text, sizeof text, "%.3g ms", seconds * 1e3);
  } else {
    std::snprintf(text, sizeof text, "%.3g s", seconds);
  }
  return text;
}

std::string mebibytes(double bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g MiB", bytes / 1048576.0);
  return text;
}

}  // namespace

const char* countingChoiceName(CountingChoice choice) {
  switch (choice) {
    case CountingChoice::kReplay:
      return "replay";
    case CountingChoice::kHalves:
      return "halves";
    case CountingChoice::kCheaper:
      break;
  }
  return "auto";
}

std::optional<CountingChoice> countingChoiceNamed(std::string_view name) {
  for (const CountingChoice choice :
       {CountingChoice::kCheaper, CountingChoice::kReplay,
        CountingChoice::kHalves}) {
    if (name == countingChoiceName(choice)) return choice;
  }
  return std::nullopt;
}

CountingPlan planCounting(const PhaseShape& shape, CountingChoice choice) {
  CountingPlan plan;
  const double n = shape.n;
  const double jobs = std::pow(static_cast<double>(shape.cells), n);
  plan.replaySeconds = jobs * (0.3 * n * n + 1.3 * n) * 1e-9;
  if (choice == CountingChoice::kReplay) {
    plan.reason = "replaying every job, as asked";
    return plan;
  }
  if (shape.n == 0 || shape.cells == 0 || shape.bands == 0) {
    plan.reason = "replaying every job: the phase has none";
    return plan;
  }
  double best = std::numeric_limits<double>::infinity();
  double leastBytes = std::numeric_limits<double>::infinity();
  for (unsigned split = 1; split <= shape.n; ++split) {
    const double larger = std::pow(static_cast<double>(shape.cells),
                                   static_cast<double>(std::max(
                                       split, shape.n - split)));
    if (larger > kMaxPartSums) continue;
    const Estimate estimate = halvesEstimate(shape, split, kChoiceWeights);
    leastBytes = std::min(leastBytes, estimate.bytes);
    if (estimate.bytes > static_cast<double>(shape.memoryBudget)) continue;
    if (estimate.nanoseconds < best) {
      best = estimate.nanoseconds;
      plan.split = split;
      plan.memoryBytes = static_cast<std::uint64_t>(estimate.bytes);
    }
  }
  if (plan.split == 0) {
    plan.reason = "replaying every job: counting by halves needs at least " +
                  mebibytes(leastBytes) + ", over the budget of " +
                  mebibytes(static_cast<double>(shape.memoryBudget));
    return plan;
  }
  // Before any of it, the halves replay the steps some 3n times (each
  // entry's contributions and the bounds of the replay), whatever the
  // split: a phase of few jobs replays them all for less.
  const double setup = 3.0 * n * (0.3 * n * n + 1.3 * n);
  best += setup;
  plan.halvesSeconds =
      (halvesEstimate(shape, plan.split, kTimeWeights).nanoseconds + setup) *
      1e-9;
  const double firstSums =
      std::pow(static_cast<double>(shape.cells), static_cast<double>(plan.split));
  const double secondSums = std::pow(static_cast<double>(shape.cells),
                                     static_cast<double>(shape.n - plan.split));
  char parts[96];
  std::snprintf(parts, sizeof parts, "parts of %.0f and %.0f sums per unknown",
                firstSums, secondSums);
  const std::string comparison =
      "about " + duration(plan.halvesSeconds) + " a phase by halves (" +
      parts + ", " + mebibytes(static_cast<double>(plan.memoryBytes)) +
      ") against " + duration(plan.replaySeconds) + " replaying every job";
  if (best * 1e-9 * 2.0 < plan.replaySeconds) {
    plan.method = CountingMethod::kHalves;
    plan.reason = "counting by halves: " + comparison;
  } else if (choice == CountingChoice::kHalves) {
    plan.method = CountingMethod::kHalves;
    plan.reason = "counting by halves, as asked: " + comparison;
  } else {
    plan.reason = "replaying every job: " + comparison;
  }
  return plan;
}

}  // namespace linprob
