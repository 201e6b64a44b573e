#include "distributions/job_source.h"

#include <algorithm>
#include <cassert>
#include <array>
#include <cmath>
#include <iterator>

namespace linprob {
namespace {

// A small per-call array: on the stack for the usual handful of entries, on
// the heap only for systems with very many unknowns.
template <typename T>
class Scratch {
 public:
  explicit Scratch(std::size_t size) {
    if (size > inline_.size()) {
      heap_.resize(size);
      data_ = heap_.data();
    } else {
      data_ = inline_.data();
    }
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  T& operator[](std::size_t i) { return data_[i]; }

 private:
  std::array<T, 16> inline_{};
  std::vector<T> heap_;
  T* data_;
};

// Lanes from `count` on are zeroed, so code that processes whole blocks never
// meets the values of an earlier fill.
void clearUnusedLanes(unsigned n, std::size_t count, JobBlock& block) {
  for (unsigned e = 0; e < n; ++e) {
    std::fill(block.entry(e) + count, block.entry(e) + kBlockJobs, 0.0);
  }
  std::fill(block.probabilities.begin() + static_cast<std::ptrdiff_t>(count),
            block.probabilities.end(), 0.0);
}

}  // namespace

double sampleWeight(int sampleCount) {
  // Evaluated in single precision and only then widened.
  const float weight = 1.0f / static_cast<float>(sampleCount);
  return static_cast<double>(weight);
}

std::size_t EnumerationJobs::prefixCount() const {
  return n == 0 ? 0 : cells.size();
}

std::uint64_t EnumerationJobs::jobsPerPrefix() const {
  if (n == 0) {
    return 0;
  }
  std::uint64_t jobs = 1;
  for (unsigned e = 1; e < n; ++e) {
    jobs *= cells.size();
  }
  return jobs;
}

std::uint64_t EnumerationJobs::jobCount() const {
  return prefixCount() * jobsPerPrefix();
}

// The block is filled in runs over the last entry: within a run entries
// 0 ... n-2 keep their cells, so their values are a constant stretch and the
// product of their probabilities, kept in product[n-2], costs one multiply
// per job. product[e] is always ((1.0 * p_0) * p_1) * ... * p_e, the same
// rounded steps as multiplying each job's cells in entry order from 1.0.
void EnumerationJobs::fill(std::size_t prefix, std::uint64_t first,
                           std::size_t count, JobBlock& block) const {
  assert(count <= kBlockJobs);
  assert(prefix < prefixCount());
  block.count = count;
  if (count > 0 && n > 0) {
    const std::uint64_t cellCount = cells.size();
    const unsigned last = n - 1;
    // digit[e]: the cell index of entry e for the next job to write.
    Scratch<std::size_t> digit(n);
    Scratch<double> product(n);
    digit[0] = prefix;
    std::uint64_t rest = first;
    for (unsigned e = last; e >= 1; --e) {
      digit[e] = static_cast<std::size_t>(rest % cellCount);
      rest /= cellCount;
    }
    // Starting from 1.0 in entry order; the order fixes the rounded product.
    product[0] = 1.0 * cells[prefix][0].probability;
    for (unsigned e = 1; e < last; ++e) {
      product[e] = product[e - 1] * cells[digit[e]][e].probability;
    }

    if (n == 1) {
      // A prefix is a whole job.
      block.entry(0)[0] = cells[prefix][0].value;
      block.probabilities[0] = product[0];
    } else {
      double* const lastValues = block.entry(last);
      double* const probabilities = block.probabilities.data();
      std::size_t j = 0;
      while (j < count) {
        const std::size_t run = static_cast<std::size_t>(
            std::min<std::uint64_t>(cellCount - digit[last], count - j));
        for (unsigned e = 0; e < last; ++e) {
          double* const values = block.entry(e) + j;
          std::fill(values, values + run, cells[digit[e]][e].value);
        }
        const double head = product[last - 1];
        const std::size_t firstCell = digit[last];
        for (std::size_t k = 0; k < run; ++k) {
          const SampleRectangle& cell = cells[firstCell + k][last];
          lastValues[j + k] = cell.value;
          probabilities[j + k] = head * cell.probability;
        }
        j += run;
        digit[last] += run;
        if (digit[last] < cellCount || j == count) {
          continue;
        }
        // Odometer carry through entries n-2 ... 1, then the running
        // products from the lowest entry that changed.
        digit[last] = 0;
        unsigned changed = last - 1;
        while (changed >= 1) {
          ++digit[changed];
          if (digit[changed] < cellCount) {
            break;
          }
          digit[changed] = 0;
          --changed;
        }
        for (unsigned e = std::max(changed, 1u); e < last; ++e) {
          product[e] = product[e - 1] * cells[digit[e]][e].probability;
        }
      }
    }
  }
  clearUnusedLanes(n, count, block);
}

struct SampleStream::Draws {
  // All 64 bits of the seed reach the engine's state.
  explicit Draws(std::uint64_t seed) {
    std::seed_seq sequence{static_cast<std::uint32_t>(seed),
                           static_cast<std::uint32_t>(seed >> 32)};
    engine.seed(sequence);
  }

  std::mt19937 engine;
  // One distribution per entry of the stream's family; an entry without one
  // is the constant constants[e].
  std::vector<std::optional<std::normal_distribution<double>>> normal;
  std::vector<std::optional<std::piecewise_linear_distribution<double>>>
      triangular;
  std::vector<std::optional<std::uniform_real_distribution<double>>> uniform;
  std::vector<double> constants;
};

namespace {

// Draws `count` samples, sample by sample and within a sample entry by entry,
// all from the one engine, into lanes 0 ... count-1.
template <typename Distribution>
void drawSamples(std::vector<std::optional<Distribution>>& distributions,
                 const std::vector<double>& constants, std::mt19937& engine,
                 std::size_t count, JobBlock& block) {
  const auto n = static_cast<unsigned>(distributions.size());
  for (std::size_t s = 0; s < count; ++s) {
    for (unsigned e = 0; e < n; ++e) {
      std::optional<Distribution>& distribution = distributions[e];
      block.entry(e)[s] = distribution ? (*distribution)(engine) : constants[e];
    }
  }
}

}  // namespace

SampleStream::SampleStream(const SamplingJobs& jobs)
    : jobs_(jobs),
      draws_(std::make_unique<Draws>(jobs.seed)),
      weight_(sampleWeight(jobs.sampleCount)) {
  const unsigned n = jobs.n;
  draws_->constants.assign(jobs.first.begin(), jobs.first.begin() + n);
  switch (jobs.family) {
    case Family::kNormal:
      draws_->normal.resize(n);
      for (unsigned e = 0; e < n; ++e) {
        // A variance of exactly 0 is a known constant, the mean.
        if (jobs.second[e] != 0.0) {
          draws_->normal[e].emplace(jobs.first[e], std::sqrt(jobs.second[e]));
        }
      }
      break;
    case Family::kTriangular:
      draws_->triangular.resize(n);
      for (unsigned e = 0; e < n; ++e) {
        const double a = jobs.first[e];
        const double b = jobs.second[e];
        if (a == b) {
          continue;
        }
        // Symmetric triangle on [a, b]: zero at the ends, 2 / (b - a) at the
        // mode.
        const double sumOfEnds = a + b;
        const double width = b - a;
        const double borders[3] = {a, sumOfEnds / 2.0, b};
        const double densities[3] = {0.0, 2.0 / width, 0.0};
        draws_->triangular[e].emplace(std::begin(borders), std::end(borders),
                                      std::begin(densities));
      }
      break;
    case Family::kUniform:
      draws_->uniform.resize(n);
      for (unsigned e = 0; e < n; ++e) {
        if (jobs.first[e] != jobs.second[e]) {
          draws_->uniform[e].emplace(jobs.first[e], jobs.second[e]);
        }
      }
      break;
  }
}

SampleStream::~SampleStream() = default;

std::size_t SampleStream::fill(JobBlock& block) {
  const int left = std::max(jobs_.sampleCount - drawn_, 0);
  const std::size_t count =
      std::min(kBlockJobs, static_cast<std::size_t>(left));
  switch (jobs_.family) {
    case Family::kNormal:
      drawSamples(draws_->normal, draws_->constants, draws_->engine, count,
                  block);
      break;
    case Family::kTriangular:
      drawSamples(draws_->triangular, draws_->constants, draws_->engine, count,
                  block);
      break;
    case Family::kUniform:
      drawSamples(draws_->uniform, draws_->constants, draws_->engine, count,
                  block);
      break;
  }
  std::fill(block.probabilities.begin(),
            block.probabilities.begin() + static_cast<std::ptrdiff_t>(count),
            weight_);
  clearUnusedLanes(jobs_.n, count, block);
  block.count = count;
  drawn_ += static_cast<int>(count);
  return count;
}

}  // namespace linprob
