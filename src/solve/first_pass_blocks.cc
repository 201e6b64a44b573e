#include "solve/first_pass_blocks.h"

#include <optional>
#include <utility>

#include "base/reuse_pool.h"

namespace linprob {
namespace {

// Blocks released by the phases, taken again by the next ones.
ReusePool<JobBlock>& pool() {
  static ReusePool<JobBlock> shared(static_cast<std::size_t>(-1));
  return shared;
}

// A block of n unknowns from the pool, or a new one.
JobBlock takeBlock(unsigned n) {
  std::optional<JobBlock> block = pool().take([n](const JobBlock& pooled) {
    return pooled.values.size() == std::size_t{n} * kBlockJobs;
  });
  return block ? std::move(*block) : JobBlock(n);
}

}  // namespace

std::uint64_t firstPassBlockBytes(unsigned n) {
  return (std::uint64_t{n} + 1) * kBlockJobs * sizeof(double) +
         sizeof(JobBlock);
}

FirstPassBlocks::FirstPassBlocks(const std::vector<std::uint64_t>& blocksPerChunk,
                       const ChunkShare& share, unsigned n,
                       std::uint64_t budget)
    : n_(n) {
  const std::uint64_t perBlock = firstPassBlockBytes(n);
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
}

void FirstPassBlocks::keep(std::size_t chunk, std::uint64_t k, JobBlock& block) {
  chunks_[chunk][static_cast<std::size_t>(k)] = std::move(block);
  block = takeBlock(n_);
}

void FirstPassBlocks::release(std::size_t chunk) {
  std::vector<JobBlock> released;
  released.swap(chunks_[chunk]);
  for (JobBlock& block : released) pool().give(std::move(block));
}

}  // namespace linprob
