// CopulaEnumerationSource: the jobs of an enumeration phase whose entries
// are correlated (entry_correlation.h). The cells are those of n
// independent standard normals, by the normal family's rule (as many per
// entry as the phase takes); every combination of them is one job, of the
// probability its cells give it, and its right-hand side is the copula's
// image of the combination: z = L eps, each entry F_e^-1(Phi(z_e)).
//
// The jobs' values are no longer a sum of one part per entry, so the source
// offers no cells to the counting shortcuts (the extreme search, counting
// by halves): every job is replayed. Its box holds every image (the sums
// bounded entry by entry, then mapped through each entry's law).
#ifndef LINPROB_DISTRIBUTIONS_COPULA_ENUMERATION_H_
#define LINPROB_DISTRIBUTIONS_COPULA_ENUMERATION_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "distributions/entry_correlation.h"
#include "distributions/enumeration_source.h"
#include "distributions/job_source.h"

namespace linprob {

class CopulaEnumerationSource final : public JobSource {
 public:
  // request.correlation must be set; request.count cells per normal.
  explicit CopulaEnumerationSource(const SourceRequest& request);

  unsigned size() const override { return normals_.size(); }
  std::uint64_t jobCount() const override { return normals_.jobCount(); }
  ChunkPlan chunkPlan() const override { return normals_.chunkPlan(); }
  std::uint64_t chunkJobs(std::size_t chunk) const override {
    return normals_.chunkJobs(chunk);
  }
  std::uint64_t chunkBlocks(std::size_t chunk) const override {
    return normals_.chunkBlocks(chunk);
  }
  void fill(std::size_t chunk, std::uint64_t k, JobBlock& block) const override;
  void produce(ChunkQueue& queue, int generatorThreads, std::stop_token stop,
               ChunkShare share) const override {
    normals_.produce(queue, generatorThreads, std::move(stop), share);
  }
  FamilyBox box() const override;

 private:
  EnumerationSource normals_;
  EntryCopula copula_;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_COPULA_ENUMERATION_H_
