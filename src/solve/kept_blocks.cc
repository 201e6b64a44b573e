#include "solve/kept_blocks.h"

#include <utility>

namespace linprob {

std::uint64_t keptBlockBytes(unsigned n) {
  return (std::uint64_t{n} + 1) * kBlockJobs * sizeof(double) +
         sizeof(JobBlock);
}

KeptBlocks::KeptBlocks(const std::vector<std::uint64_t>& blocksPerChunk,
                       const ChunkShare& share, unsigned n,
                       std::uint64_t budget)
    : n_(n) {
  const std::uint64_t perBlock = keptBlockBytes(n);
  std::uint64_t bytes = 0;
  for (std::size_t c = share.first(); c < blocksPerChunk.size();
       c += share.step()) {
    // Checked before it is added: the sum never passes 2 * budget.
    if (blocksPerChunk[c] > budget / perBlock) return;
    bytes += blocksPerChunk[c] * perBlock;
    if (bytes > budget) return;
  }
  keeping_ = true;
  chunks_.resize(blocksPerChunk.size());
  for (std::size_t c = share.first(); c < blocksPerChunk.size();
       c += share.step()) {
    chunks_[c].reserve(static_cast<std::size_t>(blocksPerChunk[c]));
  }
}

void KeptBlocks::keep(std::size_t chunk, JobBlock& block) {
  chunks_[chunk].push_back(std::move(block));
  block = JobBlock(n_);
}

void KeptBlocks::release(std::size_t chunk) {
  std::vector<JobBlock>().swap(chunks_[chunk]);
}

}  // namespace linprob
