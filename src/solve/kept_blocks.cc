#include "solve/kept_blocks.h"

#include <mutex>
#include <utility>

namespace linprob {
namespace {

// Blocks released by the phases, taken again by the next ones. The mutex
// guards `blocks`; it is taken once per block, never with another lock.
struct BlockPool {
  std::mutex mutex;
  std::vector<JobBlock> blocks;
};

BlockPool& pool() {
  static BlockPool shared;
  return shared;
}

// A block of n unknowns from the pool, or a new one.
JobBlock takeBlock(unsigned n) {
  BlockPool& blocks = pool();
  {
    const std::lock_guard<std::mutex> lock(blocks.mutex);
    if (!blocks.blocks.empty() &&
        blocks.blocks.back().values.size() == std::size_t{n} * kBlockJobs) {
      JobBlock block = std::move(blocks.blocks.back());
      blocks.blocks.pop_back();
      return block;
    }
  }
  return JobBlock(n);
}

}  // namespace

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
    chunks_[c].resize(static_cast<std::size_t>(blocksPerChunk[c]));
  }
  // What the pool holds of other sizes (an earlier run's) is of no use.
  BlockPool& blocks = pool();
  const std::lock_guard<std::mutex> lock(blocks.mutex);
  if (!blocks.blocks.empty() &&
      blocks.blocks.back().values.size() != std::size_t{n} * kBlockJobs) {
    std::vector<JobBlock>().swap(blocks.blocks);
  }
}

void KeptBlocks::keep(std::size_t chunk, std::uint64_t k, JobBlock& block) {
  chunks_[chunk][static_cast<std::size_t>(k)] = std::move(block);
  block = takeBlock(n_);
}

void KeptBlocks::release(std::size_t chunk) {
  std::vector<JobBlock> released;
  released.swap(chunks_[chunk]);
  BlockPool& blocks = pool();
  const std::lock_guard<std::mutex> lock(blocks.mutex);
  for (JobBlock& block : released) blocks.blocks.push_back(std::move(block));
}

}  // namespace linprob
