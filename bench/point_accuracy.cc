// How much closer quasi-random and stratified points come to the exact
// answer than pseudo-random ones, on the model of a phase's unknowns: the
// sum x = e1 + e2 + e3 + e4 of four independent entries of one family, at
// N = 2^16 samples, over 20 seeds.
//
//   normal      means 1, -2, 0.5, 3 and variances 1, 4, 0.25, 2.25: x is
//               N(2.5, 7.5);
//   triangular  symmetric on [a, a + 2] for a = 0, 1, -1, 2: x is 2 + the
//               Irwin-Hall sum of eight uniforms;
//   uniform     on [a, a + 2] for the same a: x is 2 + 2 * Irwin-Hall(4).
//
// For random (SampleBlocks), sobol and lhs (PointBlocks) points, in one
// design of 2^16 (h = 1) and in h replicates of 2^16 / h (sobol: h = 4, 8;
// both: h = 16, the replicates of a phase with standard errors), it prints the root-mean-
// square error over the seeds of the mean, of the standard deviation and of
// the masses of 12 bands (10 equal bands over mean +- 3 sd and both tails,
// pooled over bands), each with its ratio to random's; for h = 16 also the
// mean standard error of the batches beside the error it should describe
// (random's batches: 16 consecutive groups of 4096), and how often the
// error stayed within twice it. Then the time to fill the 2^16 points.
// Not a test: it passes nothing and fails nothing.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "distributions/point_kinds.h"
#include "distributions/job_source.h"
#include "distributions/point_design.h"
#include "distributions/point_generator.h"
#include "distributions/sample_blocks.h"
#include "results/batch_spread.h"

namespace linprob {
namespace {

constexpr unsigned kEntries = 4;
constexpr std::uint64_t kSamples = std::uint64_t{1} << 16;
constexpr int kSeeds = 20;
constexpr int kBands = 10;
constexpr int kMasses = kBands + 2;
constexpr unsigned kBatches = 16;

struct Model {
  Family family;
  std::vector<double> first;
  std::vector<double> second;
  double mean;
  double sd;
  std::function<double(double)> cdf;
};

// P(sum of n uniforms on [0, 1] <= x).
double irwinHall(int n, double x) {
  if (x <= 0.0) return 0.0;
  if (x >= n) return 1.0;
  double sum = 0.0;
  double binomial = 1.0;
  double factorial = 1.0;
  for (int k = 1; k <= n; ++k) factorial *= k;
  for (int k = 0; k <= static_cast<int>(std::floor(x)); ++k) {
    sum += (k % 2 == 0 ? 1.0 : -1.0) * binomial * std::pow(x - k, n);
    binomial = binomial * (n - k) / (k + 1);
  }
  return sum / factorial;
}

std::vector<Model> models() {
  const std::vector<double> lower = {0.0, 1.0, -1.0, 2.0};
  const std::vector<double> upper = {2.0, 3.0, 1.0, 4.0};
  return {
      {Family::kNormal, {1.0, -2.0, 0.5, 3.0}, {1.0, 4.0, 0.25, 2.25}, 2.5,
       std::sqrt(7.5),
       [](double x) {
         return 0.5 * std::erfc(-(x - 2.5) / std::sqrt(2.0 * 7.5));
       }},
      {Family::kTriangular, lower, upper, 6.0, std::sqrt(4.0 * 4.0 / 24.0),
       [](double x) { return irwinHall(8, x - 2.0); }},
      {Family::kUniform, lower, upper, 6.0, std::sqrt(4.0 * 4.0 / 12.0),
       [](double x) { return irwinHall(4, (x - 2.0) / 2.0); }},
  };
}

// What one batch (or the whole design) estimates.
struct Estimate {
  double mean = 0.0;
  double sd = 0.0;
  std::vector<double> masses = std::vector<double>(kMasses, 0.0);
};

// Sums of the samples of one batch, about the exact mean.
struct Sums {
  double count = 0.0;
  double first = 0.0;
  double second = 0.0;
  std::vector<double> masses = std::vector<double>(kMasses, 0.0);

  void add(double x, const Model& model) {
    const double d = x - model.mean;
    count += 1.0;
    first += d;
    second += d * d;
    const double position = (d / model.sd + 3.0) / 6.0 * kBands;
    const int band = position < 0.0 ? 0
                     : position >= kBands
                         ? kMasses - 1
                         : 1 + static_cast<int>(position);
    masses[static_cast<std::size_t>(band)] += 1.0;
  }
  void merge(const Sums& other) {
    count += other.count;
    first += other.first;
    second += other.second;
    for (int k = 0; k < kMasses; ++k) masses[k] += other.masses[k];
  }
  Estimate estimate(const Model& model) const {
    Estimate e;
    const double shift = first / count;
    e.mean = model.mean + shift;
    e.sd = std::sqrt(second / count - shift * shift);
    for (int k = 0; k < kMasses; ++k) e.masses[k] = masses[k] / count;
    return e;
  }
};

std::vector<double> exactMasses(const Model& model) {
  std::vector<double> exact(kMasses);
  double below = 0.0;
  for (int k = 0; k <= kBands; ++k) {
    const double border = model.mean + model.sd * (-3.0 + 6.0 * k / kBands);
    const double at = model.cdf(border);
    exact[static_cast<std::size_t>(k)] = at - below;
    below = at;
  }
  exact[kMasses - 1] = 1.0 - below;
  return exact;
}

enum class Kind { kRandom, kSobol, kLhs };
const char* kindName(Kind kind) {
  return kind == Kind::kRandom ? "random" : kind == Kind::kSobol ? "sobol" : "lhs";
}

// Fills unit after unit of 2^16 samples and hands each block to `take`
// with the batch its samples belong to.
void drawDesign(const Model& model, Kind kind, unsigned replicates,
                std::uint64_t seed,
                const std::function<void(const JobBlock&, unsigned)>& take) {
  JobBlock block(kEntries);
  if (kind == Kind::kRandom) {
    SamplingJobs jobs;
    jobs.n = kEntries;
    jobs.family = model.family;
    jobs.parameters.width = 2;
    for (unsigned e = 0; e < kEntries; ++e) {
      jobs.parameters.numbers.push_back(model.first[e]);
      jobs.parameters.numbers.push_back(model.second[e]);
    }
    jobs.sampleCount = static_cast<int>(kSamples);
    jobs.seed = seed;
    const SampleBlocks blocks(jobs);
    const std::uint64_t perBatch = jobs.blockCount() / kBatches;
    for (std::uint64_t b = 0; b < jobs.blockCount(); ++b) {
      blocks.fill(b, block);
      take(block, static_cast<unsigned>(b / perBatch));
    }
    return;
  }
  const PointKind points =
      kind == Kind::kSobol ? PointKind::kSobol : PointKind::kLatinHypercube;
  const PointDesign design{points, replicates, kSamples / replicates};
  EntryParameters entries{2, {}};
  for (unsigned e = 0; e < kEntries; ++e) {
    entries.numbers.push_back(model.first[e]);
    entries.numbers.push_back(model.second[e]);
  }
  SourceRequest request;
  request.family = &familyInfo(model.family);
  request.n = kEntries;
  request.entries = entries;
  request.seed = seed;
  request.kind = points;
  const std::unique_ptr<PointGenerator> blocks =
      pointKindRow(points).generator(request, design);
  const std::uint64_t perBatch = design.blockCount() / kBatches;
  for (std::uint64_t u = 0; u < design.blockCount(); ++u) {
    blocks->fill(u, block);
    take(block, static_cast<unsigned>(u / perBatch));
  }
}

struct Accuracy {
  double mean = 0.0;  // root-mean-square errors over the seeds
  double sd = 0.0;
  double masses = 0.0;
  double meanError = 0.0;  // mean standard errors over the seeds
  double sdError = 0.0;
  double massError = 0.0;
  int covered = 0;  // of kSeeds * (2 + kMasses) values within 2 errors
};

Accuracy measure(const Model& model, Kind kind, unsigned replicates) {
  const std::vector<double> exact = exactMasses(model);
  Accuracy a;
  for (int s = 0; s < kSeeds; ++s) {
    std::vector<Sums> batches(kBatches);
    drawDesign(model, kind, replicates, 1000 + s,
               [&](const JobBlock& block, unsigned batch) {
                 for (std::size_t j = 0; j < block.count; ++j) {
                   double x = 0.0;
                   for (unsigned e = 0; e < kEntries; ++e) {
                     x += block.entry(e)[j];
                   }
                   batches[batch].add(x, model);
                 }
               });
    Sums all;
    for (const Sums& b : batches) all.merge(b);
    const Estimate pooled = all.estimate(model);
    const double meanOff = pooled.mean - model.mean;
    const double sdOff = pooled.sd - model.sd;
    a.mean += meanOff * meanOff;
    a.sd += sdOff * sdOff;
    for (int k = 0; k < kMasses; ++k) {
      const double off = pooled.masses[k] - exact[k];
      a.masses += off * off / kMasses;
    }
    if (replicates != kBatches && kind != Kind::kRandom) continue;
    // Standard errors from the 16 batches.
    std::vector<Estimate> each;
    for (const Sums& b : batches) each.push_back(b.estimate(model));
    const std::vector<double> weights(kBatches, 1.0);
    const auto error = [&](const std::function<double(const Estimate&)>& get) {
      std::vector<double> y;
      for (const Estimate& e : each) y.push_back(get(e));
      return batchStandardError(weights, y);
    };
    const double meanError = error([](const Estimate& e) { return e.mean; });
    const double sdError = error([](const Estimate& e) { return e.sd; });
    a.meanError += meanError / kSeeds;
    a.sdError += sdError / kSeeds;
    a.covered += std::fabs(meanOff) <= 2.0 * meanError;
    a.covered += std::fabs(sdOff) <= 2.0 * sdError;
    for (int k = 0; k < kMasses; ++k) {
      const double massError =
          error([k](const Estimate& e) { return e.masses[k]; });
      a.massError += massError / (kSeeds * kMasses);
      a.covered += std::fabs(pooled.masses[k] - exact[k]) <= 2.0 * massError;
    }
  }
  a.mean = std::sqrt(a.mean / kSeeds);
  a.sd = std::sqrt(a.sd / kSeeds);
  a.masses = std::sqrt(a.masses / kSeeds);
  return a;
}

double fillSeconds(const Model& model, Kind kind) {
  const auto start = std::chrono::steady_clock::now();
  double sink = 0.0;
  for (int s = 0; s < 5; ++s) {
    drawDesign(model, kind, kBatches, 7 + s,
               [&](const JobBlock& block, unsigned) { sink += block.entry(0)[0]; });
  }
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  return sink == 12345.678 ? 0.0 : spent.count() / 5;
}

}  // namespace
}  // namespace linprob

int main() {
  using namespace linprob;
  std::printf(
      "RMS error over %d seeds, N = 2^16, x = sum of %u entries; ratio = "
      "random's RMS error / this one's\n",
      kSeeds, kEntries);
  std::printf("%-10s %-6s %3s | %10s %7s | %10s %7s | %10s %7s | %s\n",
              "family", "points", "h", "mean", "ratio", "sd", "ratio",
              "bands", "ratio", "mean SE / sd SE / band SE, within 2 SE");
  for (const Model& model : models()) {
    const Accuracy random = measure(model, Kind::kRandom, 1);
    for (const Kind kind : {Kind::kRandom, Kind::kSobol, Kind::kLhs}) {
      for (const unsigned h : {1u, 4u, 8u, kBatches}) {
        if (kind == Kind::kRandom && h != 1) continue;
        if (kind == Kind::kLhs && (h == 4 || h == 8)) continue;
        const Accuracy a = kind == Kind::kRandom ? random : measure(model, kind, h);
        std::printf(
            "%-10s %-6s %3u | %10.3e %7.1f | %10.3e %7.1f | %10.3e %7.1f |",
            familyInfo(model.family).name, kindName(kind), h, a.mean,
            random.mean / a.mean, a.sd, random.sd / a.sd, a.masses,
            random.masses / a.masses);
        if (kind == Kind::kRandom || h == kBatches) {
          std::printf(" %.2e / %.2e / %.2e, %.0f %%", a.meanError, a.sdError,
                      a.massError,
                      100.0 * a.covered / (kSeeds * (2 + kMasses)));
        }
        std::printf("\n");
      }
    }
  }
  std::printf("\nfilling 2^16 samples of 4 entries (16 replicates), ms:\n");
  for (const Model& model : models()) {
    std::printf("%-10s random %.2f  sobol %.2f  lhs %.2f\n",
                familyInfo(model.family).name,
                1e3 * fillSeconds(model, Kind::kRandom),
                1e3 * fillSeconds(model, Kind::kSobol),
                1e3 * fillSeconds(model, Kind::kLhs));
  }
  return 0;
}
