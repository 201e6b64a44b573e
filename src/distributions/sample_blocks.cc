#include "distributions/sample_blocks.h"

#include <Random123/philox.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace linprob {
namespace {

// The 64-bit words of one (block, entry) stream, two per Philox call.
class WordStream {
 public:
  WordStream(std::uint64_t seed, std::uint64_t block, unsigned entry)
      : key_{{seed}},
        counter_{{static_cast<std::uint64_t>(entry) << 40, block}} {}

  std::uint64_t next() {
    if (spare_) {
      spare_ = false;
      return words_.v[1];
    }
    words_ = r123::Philox2x64()(counter_, key_);
    ++counter_.v[0];
    spare_ = true;
    return words_.v[0];
  }

 private:
  r123::Philox2x64::key_type key_;
  r123::Philox2x64::ctr_type counter_;
  r123::Philox2x64::ctr_type words_{};
  bool spare_ = false;
};

// [0, 1): the top 53 bits of a word, scaled exactly.
double unitFrom(std::uint64_t word) {
  return static_cast<double>(word >> 11) * 0x1p-53;
}

// (0, 1), for logarithms: the top 52 bits and a half, scaled exactly.
double openUnitFrom(std::uint64_t word) {
  const double half = static_cast<double>(word >> 12) + 0.5;
  return half * 0x1p-52;
}

// The ziggurat of the standard normal density f(x) = exp(-x^2 / 2) in 128
// layers of equal area V: layer i (1 <= i < 128) spans [0, x[i]] across and
// f(x[i]) ... f(x[i+1]) up, x[1] = R is where the tail starts and x[128] = 0;
// layer 0 is the base, the rectangle [0, V / f(R)] under f(R) together with
// the tail beyond R. ratio[i] = x[i+1] / x[i]: a point of layer i whose
// |u| < ratio[i] lies under the layer above and is accepted at once.
struct Ziggurat {
  static constexpr int kLayers = 128;
  static constexpr double kTailStart = 3.442619855899;
  static constexpr double kLayerArea = 9.91256303526217e-3;

  Ziggurat() {
    double f = std::exp(-0.5 * kTailStart * kTailStart);
    x[0] = kLayerArea / f;
    x[1] = kTailStart;
    x[kLayers] = 0.0;
    for (int i = 2; i < kLayers; ++i) {
      x[i] = std::sqrt(-2.0 * std::log(kLayerArea / x[i - 1] + f));
      f = std::exp(-0.5 * x[i] * x[i]);
    }
    for (int i = 0; i < kLayers; ++i) ratio[i] = x[i + 1] / x[i];
  }

  std::array<double, kLayers + 1> x{};
  std::array<double, kLayers> ratio{};
};

const Ziggurat& ziggurat() {
  static const Ziggurat table;
  return table;
}

// A draw from the tail beyond R (Marsaglia's method), with the sign given.
double normalTail(WordStream& words, bool negative) {
  constexpr double r = Ziggurat::kTailStart;
  double x = 0.0;
  double y = 0.0;
  do {
    x = std::log(openUnitFrom(words.next())) / r;
    y = std::log(openUnitFrom(words.next()));
  } while (-2.0 * y < x * x);
  return negative ? x - r : r - x;
}

// One standard normal draw. Each try takes one word: its top 53 bits give
// u in [-1, 1), its low 7 bits the layer.
double standardNormal(WordStream& words, const Ziggurat& z) {
  for (;;) {
    const std::uint64_t word = words.next();
    const double u = 2.0 * unitFrom(word) - 1.0;
    const auto layer = static_cast<int>(word & 0x7f);
    if (std::fabs(u) < z.ratio[layer]) return u * z.x[layer];
    if (layer == 0) return normalTail(words, u < 0.0);
    // The wedge between the layer's rectangle and the density: accept when
    // a uniform height between f(x[layer]) and f(x[layer+1]) lies below
    // f(x), all divided by f(x).
    const double x = u * z.x[layer];
    const double low = std::exp(-0.5 * (z.x[layer] * z.x[layer] - x * x));
    const double high =
        std::exp(-0.5 * (z.x[layer + 1] * z.x[layer + 1] - x * x));
    if (high + unitFrom(words.next()) * (low - high) < 1.0) return x;
  }
}

}  // namespace

double sampleWeight(int sampleCount) {
  // Evaluated in single precision and only then widened.
  const float weight = 1.0f / static_cast<float>(sampleCount);
  return static_cast<double>(weight);
}

std::uint64_t SamplingJobs::blockCount() const {
  const auto samples = static_cast<std::uint64_t>(std::max(sampleCount, 0));
  return (samples + kBlockJobs - 1) / kBlockJobs;
}

std::size_t SamplingJobs::blockJobs(std::uint64_t block) const {
  const auto samples = static_cast<std::uint64_t>(std::max(sampleCount, 0));
  const std::uint64_t start = block * kBlockJobs;
  if (start >= samples) return 0;
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(kBlockJobs, samples - start));
}

ChunkPlan SamplingJobs::chunkPlan() const {
  return ChunkPlan::of(blockCount(),
                       static_cast<std::uint64_t>(std::max(sampleCount, 0)));
}

std::uint64_t SamplingJobs::chunkJobs(std::size_t chunk) const {
  const UnitRange blocks = chunkPlan().range(chunk);
  const auto samples = static_cast<std::uint64_t>(std::max(sampleCount, 0));
  const std::uint64_t start = blocks.first * kBlockJobs;
  const std::uint64_t end = std::min(blocks.end * kBlockJobs, samples);
  return end - start;
}

SampleBlocks::SampleBlocks(const SamplingJobs& jobs)
    : jobs_(jobs), weight_(sampleWeight(jobs.sampleCount)), entries_(jobs.n) {
  const SampleDraw draw = familyInfo(jobs.family).draw;
  for (unsigned e = 0; e < jobs.n; ++e) {
    Entry& entry = entries_[e];
    const double p = jobs.first[e];
    const double q = jobs.second[e];
    entry.first = p;
    entry.draw = draw;
    switch (draw) {
      case SampleDraw::kNormal:
        // A variance of exactly 0 is a known constant, the mean.
        if (q != 0.0) {
          entry.constant = false;
          entry.second = std::sqrt(q);
        }
        break;
      case SampleDraw::kTriangular:
      case SampleDraw::kUniform:
        if (p != q) {
          entry.constant = false;
          entry.second = q;
          entry.width = q - p;
        }
        break;
    }
  }
  ziggurat();  // the table is built here, not inside a phase's threads
}

std::size_t SampleBlocks::fill(std::uint64_t block, JobBlock& out) const {
  const std::size_t count = jobs_.blockJobs(block);
  const Ziggurat& z = ziggurat();
  for (unsigned e = 0; e < jobs_.n; ++e) {
    const Entry& entry = entries_[e];
    double* const values = out.entry(e);
    WordStream words(jobs_.seed, block, e);
    if (entry.constant) {
      for (std::size_t s = 0; s < count; ++s) values[s] = entry.first;
      continue;
    }
    switch (entry.draw) {
      case SampleDraw::kNormal:
        for (std::size_t s = 0; s < count; ++s) {
          const double scaled = entry.second * standardNormal(words, z);
          values[s] = entry.first + scaled;
        }
        break;
      case SampleDraw::kTriangular:
        for (std::size_t s = 0; s < count; ++s) {
          // The sum of two 53-bit fractions, halved: the mean of two
          // uniforms, whose density is the triangle on [0, 1].
          const double first = unitFrom(words.next());
          const double second = unitFrom(words.next());
          const double sum = first + second;
          const double mean = 0.5 * sum;
          const double offset = entry.width * mean;
          values[s] = entry.first + offset;
        }
        break;
      case SampleDraw::kUniform:
        for (std::size_t s = 0; s < count; ++s) {
          const double offset = entry.width * unitFrom(words.next());
          const double value = entry.first + offset;
          values[s] = value < entry.second
                          ? value
                          : std::nextafter(entry.second, entry.first);
        }
        break;
    }
  }
  for (std::size_t s = 0; s < count; ++s) out.probabilities[s] = weight_;
  out.count = count;
  out.clearLanesFrom(count);
  return count;
}

}  // namespace linprob
