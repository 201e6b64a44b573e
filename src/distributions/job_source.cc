#include "distributions/job_source.h"

#include <algorithm>
#include <array>
#include <cassert>

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

ChunkPlan EnumerationJobs::chunkPlan() const {
  return ChunkPlan::of(prefixCount(), jobCount());
}

std::uint64_t EnumerationJobs::chunkJobs(std::size_t chunk) const {
  const UnitRange prefixes = chunkPlan().range(chunk);
  return (prefixes.end - prefixes.first) * jobsPerPrefix();
}

void EnumerationJobs::fill(std::size_t prefix, std::uint64_t first,
                           std::size_t count, JobBlock& block) const {
  EnumerationFill(*this).fill(prefix, first, count, block);
}

EnumerationFill::EnumerationFill(const EnumerationJobs& jobs)
    : n_(jobs.n), cellCount_(jobs.prefixCount()) {
  values_.resize(static_cast<std::size_t>(n_) * cellCount_);
  probabilities_.resize(values_.size());
  for (unsigned e = 0; e < n_; ++e) {
    for (std::size_t m = 0; m < cellCount_; ++m) {
      values_[e * cellCount_ + m] = jobs.cells[m][e].value;
      probabilities_[e * cellCount_ + m] = jobs.cells[m][e].probability;
    }
  }
}

// The block is filled in runs over the last entry: within a run entries
// 0 ... n-2 keep their cells, so their values are a constant stretch and the
// product of their probabilities, kept in product[n-2], costs one multiply
// per job. product[e] is always ((1.0 * p_0) * p_1) * ... * p_e, the same
// rounded steps as multiplying each job's cells in entry order from 1.0.
void EnumerationFill::fill(std::size_t prefix, std::uint64_t first,
                           std::size_t count, JobBlock& block) const {
  assert(count <= kBlockJobs);
  assert(prefix < cellCount_);
  const unsigned n = n_;
  block.count = count;
  if (count > 0 && n > 0) {
    const std::uint64_t cellCount = cellCount_;
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
    product[0] = 1.0 * probability(prefix, 0);
    for (unsigned e = 1; e < last; ++e) {
      product[e] = product[e - 1] * probability(digit[e], e);
    }

    if (n == 1) {
      // A prefix is a whole job.
      block.entry(0)[0] = value(prefix, 0);
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
          std::fill(values, values + run, value(digit[e], e));
        }
        const double head = product[last - 1];
        const double* const cellValues =
            values_.data() + last * cellCount_ + digit[last];
        const double* const cellProbabilities =
            probabilities_.data() + last * cellCount_ + digit[last];
        for (std::size_t k = 0; k < run; ++k) {
          lastValues[j + k] = cellValues[k];
          probabilities[j + k] = head * cellProbabilities[k];
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
          product[e] = product[e - 1] * probability(digit[e], e);
        }
      }
    }
  }
  block.clearLanesFrom(count);
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

}  // namespace linprob
