#include "distributions/sample_blocks.h"

#include <Random123/philox.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "linear/four_lanes.h"
#include "linear/vector_clones.h"

namespace linprob {
namespace {

// The 64-bit words of one (block, entry) stream, two per Philox call: the
// calls' first words and second words in call order, made in batches.
class WordStream {
 public:
  WordStream(std::uint64_t seed, std::uint64_t block, unsigned entry)
      : key_{{seed}},
        counter_{{static_cast<std::uint64_t>(entry) << 40, block}} {}

  // The next 2 * calls words of the stream, into out[0 ... 2 * calls - 1].
  // Two calls at a time: each call's ten rounds are a chain of products,
  // and two chains side by side keep the multiplier busy (a third of the
  // time per word on the development machine).
  void take(std::uint64_t* out, std::size_t calls) {
#pragma GCC unroll 2
    for (std::size_t c = 0; c < calls; ++c) {
      const r123::Philox2x64::ctr_type words =
          r123::Philox2x64()(counter_, key_);
      out[2 * c] = words.v[0];
      out[2 * c + 1] = words.v[1];
      ++counter_.v[0];
    }
  }

 private:
  r123::Philox2x64::key_type key_;
  r123::Philox2x64::ctr_type counter_;
};

// Words for a block's draws: as many as its samples take without rejections
// up front, then a few more calls' worth whenever the draws run out.
class WordSupply {
 public:
  static constexpr std::size_t kCapacity = kBlockJobs + 16;

  WordSupply(WordStream& stream, std::size_t expected) : stream_(stream) {
    refill((expected + 1) / 2);
  }

  std::uint64_t next() {
    if (at_ == end_) refill(8);
    return words_[at_++];
  }

 private:
  void refill(std::size_t calls) {
    stream_.take(words_.data(), calls);
    at_ = 0;
    end_ = 2 * calls;
  }

  WordStream& stream_;
  std::array<std::uint64_t, kCapacity> words_;
  std::size_t at_ = 0;
  std::size_t end_ = 0;
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



// unitFrom of four words. Without a vector conversion of 64-bit integers,
// the top 53 bits are converted in two parts, each below 2^52 and so exact
// as the low bits of 2^52: the parts, their sum and the scaling are exact,
// the same doubles as unitFrom's.
__attribute__((always_inline)) inline void unitsFrom(const FourWords& words,
                                                     FourDoubles& units) {
  const FourWords top = words >> 11;
  const FourWords magic = {0x4330000000000000u, 0x4330000000000000u,
                           0x4330000000000000u, 0x4330000000000000u};
  const FourWords highBits = (top >> 32) | magic;
  const FourWords lowBits = (top & 0xffffffffu) | magic;
  FourDoubles high;
  FourDoubles low;
  std::memcpy(&high, &highBits, sizeof high);
  std::memcpy(&low, &lowBits, sizeof low);
  FourDoubles shift;
  fillFour(shift, 0x1p52);
  const FourDoubles whole = (high - shift) * 0x1p32 + (low - shift);
  units = whole * 0x1p-53;
}

// The triangular draws of one entry from words[0 ... 2 * count - 1]: the
// statements of the scalar loop below, four samples at a time.
LINPROB_VECTOR_CLONES __attribute__((flatten))
void triangularDraws(const std::uint64_t* words, std::size_t count,
                     double lower, double width, double* values) {
  FourDoubles low;
  fillFour(low, lower);
  FourDoubles wide;
  fillFour(wide, width);
  FourDoubles half;
  fillFour(half, 0.5);
  std::size_t s = 0;
  for (; s + 4 <= count; s += 4) {
    FourWords a;
    FourWords b;
    loadFour(a, words + 2 * s);
    loadFour(b, words + 2 * s + 4);
    FourDoubles unitsA;
    FourDoubles unitsB;
    unitsFrom(a, unitsA);
    unitsFrom(b, unitsB);
    // The even words of the eight give the first uniforms, the odd the
    // second (constant lanes: GCC and clang both know this builtin).
    const FourDoubles first = __builtin_shufflevector(unitsA, unitsB, 0, 2, 4, 6);
    const FourDoubles second = __builtin_shufflevector(unitsA, unitsB, 1, 3, 5, 7);
    const FourDoubles sum = first + second;
    const FourDoubles mean = half * sum;
    const FourDoubles offset = wide * mean;
    const FourDoubles value = low + offset;
    storeFour(values + s, value);
  }
  for (; s < count; ++s) {
    // The sum of two 53-bit fractions, halved: the mean of two uniforms,
    // whose density is the triangle on [0, 1].
    const double first = unitFrom(words[2 * s]);
    const double second = unitFrom(words[2 * s + 1]);
    const double sum = first + second;
    const double mean = 0.5 * sum;
    const double offset = width * mean;
    values[s] = lower + offset;
  }
}

// The uniform draws of one entry from words[0 ... count - 1]: a draw that
// rounds up to `upper` becomes `below`, the largest double under it.
LINPROB_VECTOR_CLONES __attribute__((flatten))
void uniformDraws(const std::uint64_t* words, std::size_t count, double lower,
                  double width, double upper, double below, double* values) {
  FourDoubles low;
  fillFour(low, lower);
  FourDoubles wide;
  fillFour(wide, width);
  FourDoubles high;
  fillFour(high, upper);
  FourDoubles under;
  fillFour(under, below);
  std::size_t s = 0;
  for (; s + 4 <= count; s += 4) {
    FourWords w;
    loadFour(w, words + s);
    FourDoubles units;
    unitsFrom(w, units);
    const FourDoubles offset = wide * units;
    const FourDoubles value = low + offset;
    const FourDoubles kept = value < high ? value : under;
    storeFour(values + s, kept);
  }
  for (; s < count; ++s) {
    const double offset = width * unitFrom(words[s]);
    const double value = lower + offset;
    values[s] = value < upper ? value : below;
  }
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
double normalTail(WordSupply& words, bool negative) {
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
double standardNormal(WordSupply& words, const Ziggurat& z) {
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

SampleBlocks::SampleBlocks(const SamplingJobs& jobs)
    : SampleBlocks(jobs, familyInfo(jobs.family)) {}

SampleBlocks::SampleBlocks(const SamplingJobs& jobs, const FamilyInfo& family)
    : jobs_(jobs),
      quantile_(family.quantile),
      weight_(sampleWeight(jobs.sampleCount)),
      entries_(jobs.n) {
  const SampleDraw draw = family.draw;
  for (unsigned e = 0; e < jobs.n; ++e) {
    Entry& entry = entries_[e];
    entry.draw = draw;
    if (draw == SampleDraw::kQuantile) {
      // The quantile reads the entry's numbers itself and knows its own
      // degenerate entries.
      entry.constant = false;
      continue;
    }
    const EntryNumbers numbers = jobs.parameters.entry(e);
    const double p = numbers[0];
    const double q = numbers[1];
    entry.first = p;
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
      case SampleDraw::kQuantile:
        break;
    }
  }
  if (jobs.correlation) copula_.emplace(jobs.correlation, family, jobs.parameters);
  ziggurat();  // the table is built here, not inside a phase's threads
}

void SampleBlocks::drawCorrelated(std::uint64_t block, std::size_t count,
                                  JobBlock& out) const {
  // Every entry's uniforms from its own stream, as a quantile draw takes
  // them, then mixed within each sample.
  std::array<std::uint64_t, 2 * kBlockJobs> words;
  for (unsigned e = 0; e < jobs_.n; ++e) {
    WordStream stream(jobs_.seed, block, e);
    stream.take(words.data(), (count + 1) / 2);
    double* const values = out.entry(e);
    for (std::size_t s = 0; s < count; ++s) {
      values[s] = openUnitFrom(words[s]);
    }
  }
  copula_->correlate(out, count);
}

void SampleBlocks::drawIndependent(std::uint64_t block, std::size_t count,
                                   JobBlock& out) const {
  const Ziggurat& z = ziggurat();
  std::array<std::uint64_t, 2 * kBlockJobs> words;
  for (unsigned e = 0; e < jobs_.n; ++e) {
    const Entry& entry = entries_[e];
    double* const values = out.entry(e);
    if (entry.constant) {
      for (std::size_t s = 0; s < count; ++s) values[s] = entry.first;
      continue;
    }
    WordStream stream(jobs_.seed, block, e);
    switch (entry.draw) {
      case SampleDraw::kNormal: {
        WordSupply supply(stream, count);
        for (std::size_t s = 0; s < count; ++s) {
          const double scaled = entry.second * standardNormal(supply, z);
          values[s] = entry.first + scaled;
        }
        break;
      }
      case SampleDraw::kTriangular:
        stream.take(words.data(), count);
        triangularDraws(words.data(), count, entry.first, entry.width, values);
        break;
      case SampleDraw::kUniform:
        stream.take(words.data(), (count + 1) / 2);
        uniformDraws(words.data(), count, entry.first, entry.width,
                     entry.second, std::nextafter(entry.second, entry.first),
                     values);
        break;
      case SampleDraw::kQuantile: {
        stream.take(words.data(), (count + 1) / 2);
        const EntryNumbers numbers = jobs_.parameters.entry(e);
        for (std::size_t s = 0; s < count; ++s) {
          values[s] = quantile_(numbers, openUnitFrom(words[s]));
        }
        break;
      }
    }
  }
}

std::size_t SampleBlocks::fill(std::uint64_t block, JobBlock& out) const {
  const std::size_t count = jobs_.blockJobs(block);
  if (copula_) {
    drawCorrelated(block, count, out);
  } else {
    drawIndependent(block, count, out);
  }
  for (std::size_t s = 0; s < count; ++s) out.probabilities[s] = weight_;
  out.count = count;
  out.clearLanesFrom(count);
  return count;
}

}  // namespace linprob
