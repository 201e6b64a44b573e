#include "distributions/point_design.h"

#include <algorithm>
#include <bit>

#include "distributions/job_block.h"

namespace linprob {

std::uint64_t PointDesign::replicateBlocks() const {
  return (replicateJobs + kBlockJobs - 1) / kBlockJobs;
}

std::uint64_t PointDesign::blockCount() const {
  return replicates * replicateBlocks();
}

std::size_t PointDesign::blockJobs(std::uint64_t unit) const {
  if (unit >= blockCount()) return 0;
  const std::uint64_t first = firstJobOf(unit);
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(kBlockJobs, replicateJobs - first));
}

unsigned PointDesign::replicateOf(std::uint64_t unit) const {
  return static_cast<unsigned>(unit / replicateBlocks());
}

std::uint64_t PointDesign::firstJobOf(std::uint64_t unit) const {
  return unit % replicateBlocks() * kBlockJobs;
}

std::size_t PointDesign::chunksPerReplicate() const {
  const std::uint64_t blocks = replicateBlocks();
  if (blocks == 0) return 0;
  const std::uint64_t most =
      std::max<std::uint64_t>(kMaxChunks / std::max(replicates, 1U), 1);
  const std::uint64_t byJobs =
      std::clamp<std::uint64_t>(replicateJobs / kMinChunkJobs, 1, most);
  return static_cast<std::size_t>(std::min(byJobs, blocks));
}

ChunkPlan PointDesign::chunkPlan() const {
  return ChunkPlan{blockCount(), replicates * chunksPerReplicate()};
}

std::uint64_t PointDesign::chunkJobs(std::size_t chunk) const {
  const UnitRange units = chunkPlan().range(chunk);
  std::uint64_t jobs = 0;
  for (std::uint64_t u = units.first; u < units.end; ++u) jobs += blockJobs(u);
  return jobs;
}

std::size_t PointDesign::batchCount() const {
  if (replicates > 1) return replicates;
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(kReplicates, blockCount()));
}

std::size_t PointDesign::batchOf(std::uint64_t unit) const {
  if (replicates > 1) return replicateOf(unit);
  // blockCount() < 2^56 and batchCount() <= kReplicates: no overflow.
  return static_cast<std::size_t>(unit * batchCount() / blockCount());
}

std::uint64_t PointDesign::batchJobs(std::size_t batch) const {
  if (batch >= batchCount()) return 0;
  if (replicates > 1) return replicateJobs;
  // Units u with u * H / B == b: from ceil(b B / H) up to ceil((b+1) B / H),
  // every one kBlockJobs long but the replicate's last.
  const std::uint64_t blocks = blockCount();
  const std::uint64_t h = batchCount();
  const std::uint64_t first = (batch * blocks + h - 1) / h;
  const std::uint64_t end = ((batch + 1) * blocks + h - 1) / h;
  const std::uint64_t from =
      std::min<std::uint64_t>(first * kBlockJobs, replicateJobs);
  const std::uint64_t to =
      std::min<std::uint64_t>(end * kBlockJobs, replicateJobs);
  return to - from;
}

double PointDesign::jobWeight() const {
  // Evaluated in single precision and only then widened.
  const float weight = 1.0f / static_cast<float>(jobCount());
  return static_cast<double>(weight);
}

}  // namespace linprob
