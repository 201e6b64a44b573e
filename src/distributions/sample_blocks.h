// SampleBlocks: the random right-hand sides of a SamplingJobs, drawn block by
// block so that any thread can draw any block and gets the same numbers.
//
// Block b holds samples b * kBlockJobs ... (the last block may be shorter),
// each of weight sampleWeight(sampleCount). Entry e of block b is drawn from
// a stream of its own: the counter-based generator Philox2x64-10 keyed by
// the phase's seed, at the counters (e * 2^40 + i, b) for i = 0, 1, ...,
// each counter giving two 64-bit words. A uniform U in [0, 1) is the top 53
// bits of one word over 2^53. Entry e with the pair (p, q) follows
//   normal:     mean p, standard deviation sqrt(q), by the ziggurat method
//               (128 layers; one word per draw in almost every case);
//   triangular: the symmetric triangle on [p, q], as p + (q - p) (U1 + U2) / 2
//               (the mean of two uniforms has the triangular density);
//   uniform:    p + (q - p) U on [p, q) (a draw that rounds up to q is
//               replaced by the largest double below q).
// A degenerate entry (variance 0, or p == q) is the constant p.
//
// The same seed gives the same samples in any order of the blocks; the
// streams of different blocks and entries never share a counter.
// fill() is const and allocates nothing.
#ifndef LINPROB_DISTRIBUTIONS_SAMPLE_BLOCKS_H_
#define LINPROB_DISTRIBUTIONS_SAMPLE_BLOCKS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "distributions/entry_correlation.h"
#include "distributions/job_block.h"
#include "distributions/family.h"
#include "distributions/job_chunk.h"

namespace linprob {

// The samples of a sampling phase.
struct SamplingJobs {
  unsigned n = 0;
  Family family = Family::kNormal;
  EntryParameters parameters;  // (mean, variance) or (lower, upper), ...
  int sampleCount = 0;
  std::uint64_t seed = 0;
  // Correlated entries: each sample's uniforms of every entry, the words
  // a uniform draw takes, go through the copula and the family's
  // quantiles (entry_correlation.h) instead of the draws above.
  std::shared_ptr<const CorrelationFactor> correlation = nullptr;

  // Blocks of kBlockJobs samples, the last one shorter when needed.
  std::uint64_t blockCount() const;
  std::size_t blockJobs(std::uint64_t block) const;
};

// 1 / sampleCount evaluated in float, widened to double.
double sampleWeight(int sampleCount);

class SampleBlocks {
 public:
  explicit SampleBlocks(const SamplingJobs& jobs);
  // Draws as `family` says, whatever jobs.family is (a family that is not
  // in kFamilies).
  SampleBlocks(const SamplingJobs& jobs, const FamilyInfo& family);

  // Fills block `block` (0 <= block < jobs.blockCount()), zeroes the lanes
  // after its samples and returns their number (also set as block.count).
  std::size_t fill(std::uint64_t block, JobBlock& out) const;

 private:
  // The entries of block `block`'s `count` samples into `out`.
  void drawCorrelated(std::uint64_t block, std::size_t count,
                      JobBlock& out) const;
  void drawIndependent(std::uint64_t block, std::size_t count,
                       JobBlock& out) const;

  struct Entry {
    bool constant = true;  // a degenerate entry: always `first`
    SampleDraw draw = SampleDraw::kUniform;
    double first = 0.0;   // constant, mean or lower end
    double second = 0.0;  // standard deviation or upper end
    double width = 0.0;   // upper end minus lower end
  };

  const SamplingJobs& jobs_;
  double (*quantile_)(EntryNumbers entry, double u);  // kQuantile's
  double weight_;
  std::vector<Entry> entries_;
  // With correlated entries.
  std::optional<EntryCopula> copula_;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SAMPLE_BLOCKS_H_
