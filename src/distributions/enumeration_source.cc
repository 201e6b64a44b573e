#include "distributions/enumeration_source.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <memory>
#include <utility>

#include "distributions/copula_enumeration.h"
#include "distributions/generator_threads.h"
#include "distributions/point_kinds.h"

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

EnumerationSource::EnumerationSource(EnumerationJobs jobs)
    : jobs_(std::move(jobs)), fill_(jobs_) {}

std::unique_ptr<JobSource> makeEnumerationSource(const SourceRequest& request) {
  if (request.correlation) {
    return std::make_unique<CopulaEnumerationSource>(request);
  }
  return std::make_unique<EnumerationSource>(EnumerationJobs{
      request.n, request.family->cells(request.count, request.entries)});
}

std::uint64_t EnumerationSource::blocksPerPrefix() const {
  return (jobs_.jobsPerPrefix() + kBlockJobs - 1) / kBlockJobs;
}

std::uint64_t EnumerationSource::chunkBlocks(std::size_t chunk) const {
  const UnitRange prefixes = jobs_.chunkPlan().range(chunk);
  return (prefixes.end - prefixes.first) * blocksPerPrefix();
}

void EnumerationSource::fill(std::size_t chunk, std::uint64_t k,
                             JobBlock& block) const {
  const std::uint64_t perPrefix = blocksPerPrefix();
  const std::uint64_t prefix = jobs_.chunkPlan().range(chunk).first + k / perPrefix;
  const std::uint64_t first = (k % perPrefix) * kBlockJobs;
  const auto count = static_cast<std::size_t>(
      std::min<std::uint64_t>(kBlockJobs, jobs_.jobsPerPrefix() - first));
  fill_.fill(static_cast<std::size_t>(prefix), first, count, block);
}

void EnumerationSource::produce(ChunkQueue& queue, int generatorThreads,
                                std::stop_token stop, ChunkShare share) const {
  runGenerators(queue, jobs_, generatorThreads, std::move(stop), share);
}

FamilyBox EnumerationSource::box() const { return cellBox(jobs_.cells, jobs_.n); }

}  // namespace linprob
