// JobSource: how a distribution phase makes its jobs.
//
// A phase's jobs are reproducible: the same jobs, with the same values and
// probabilities in the same order, can be made twice (once to find each
// unknown's smallest and largest solution, once to count each job into its
// band) by any thread, without ever holding them all in memory. A source
// splits them into a fixed sequence of chunks (ChunkPlan), each chunk into
// blocks of at most kBlockJobs jobs, and fills any block of any chunk on
// demand. It also produces the phase's chunks onto its queue, with whatever
// threads and console lines its kind of production has.
//
// Concrete sources, each in its own files, are made through the table of
// point_kinds.h: enumeration of every combination of cells
// (enumeration_source.h) and sampled points of any kind (sampling_source.h,
// over a PointGenerator). A source is built before the phase's threads start; every const member may
// then run on any number of threads at once, and fill() allocates nothing.
#ifndef LINPROB_DISTRIBUTIONS_JOB_SOURCE_H_
#define LINPROB_DISTRIBUTIONS_JOB_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>

#include "distributions/chunk_queue.h"
#include "distributions/entry_correlation.h"
#include "distributions/enumeration_jobs.h"
#include "distributions/family.h"
#include "distributions/family_box.h"
#include "distributions/job_block.h"
#include "distributions/job_chunk.h"
#include "distributions/point_kinds.h"

namespace linprob {

// What a phase's jobs are made from.
struct SourceRequest {
  const FamilyInfo* family = nullptr;
  unsigned n = 0;
  EntryParameters entries;  // n entries of the family's parameter file
  int count = 0;         // cells per entry, or samples
  std::uint64_t seed = 0;  // sources that draw
  PointKind kind = PointKind::kEnumeration;
  // The entries' correlation, none when independent.
  std::shared_ptr<const CorrelationFactor> correlation = nullptr;
};

class JobSource {
 public:
  JobSource() = default;
  JobSource(const JobSource&) = delete;
  JobSource& operator=(const JobSource&) = delete;
  virtual ~JobSource() = default;

  // Entries per job.
  virtual unsigned size() const = 0;
  virtual std::uint64_t jobCount() const = 0;
  virtual ChunkPlan chunkPlan() const = 0;
  virtual std::uint64_t chunkJobs(std::size_t chunk) const = 0;
  // The blocks of a chunk, and block k of them (0 <= k < chunkBlocks):
  // the chunk's jobs in order, kBlockJobs per block but at the end of a
  // unit (a prefix, a block of samples). Lanes past block.count are zero.
  virtual std::uint64_t chunkBlocks(std::size_t chunk) const = 0;
  virtual void fill(std::size_t chunk, std::uint64_t k,
                    JobBlock& block) const = 0;

  // Pushes the chunks that `share` owns onto `queue` in increasing order,
  // stopping between two chunks once `stop` is requested; no stopper. By
  // default from the calling thread, silently.
  virtual void produce(ChunkQueue& queue, int generatorThreads,
                       std::stop_token stop, ChunkShare share) const;

  // The box that holds every job (the start-of-run check replays it).
  virtual FamilyBox box() const = 0;
  // The cells of a source that enumerates them (the extreme search and
  // other counting shortcuts use them); nullptr otherwise.
  virtual const EnumerationJobs* cells() const { return nullptr; }
  // The seed of a source that draws.
  virtual std::optional<std::uint64_t> seed() const { return std::nullopt; }
  // The weight of every job, for a source whose jobs all weigh the same.
  virtual std::optional<double> jobWeight() const { return std::nullopt; }
  // The independent batches behind a sampling phase's standard errors
  // (PointDesign), none in enumeration, and the batch of block k of a
  // chunk: fixed by the phase alone, never decreasing along a chunk's
  // blocks, and below batchCount().
  virtual std::size_t batchCount() const { return 0; }
  virtual std::size_t batchOf(std::size_t /*chunk*/, std::uint64_t /*k*/) const {
    return 0;
  }
  // The jobs of batch b, below batchCount(): the samples behind its sums.
  virtual std::uint64_t batchJobs(std::size_t /*batch*/) const { return 0; }
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_JOB_SOURCE_H_
