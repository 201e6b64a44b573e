// FirstPassBlocks: the solved blocks of a phase's first pass, kept so that the
// second pass counts them instead of producing and replaying its jobs again.
//
// A phase keeps its blocks when those of the chunks this process owns fit
// the memory budget (SolveOptions::memoryBudget, bytes; 0 keeps nothing);
// otherwise it keeps none, and the second pass produces and replays every
// job a second time, exactly as the first did. The counted values are the
// same bits either way, so the results do not depend on the budget.
//
// Chunk c's blocks are kept in job order, each in its own slot by the thread
// that solves it in the first pass, and read (then released) by the one
// thread that counts c in the second; the threads' joins between the passes
// order the two. No lock guards the slots: each is written by one thread.
//
// Released blocks go to a pool of the process, from which later phases take
// the blocks they keep, so that their memory is faulted in once per run
// rather than once per phase; the pool holds at most what one phase kept
// (within its budget) and is emptied when a phase of another size keeps
// blocks. Its mutex, a leaf, is taken once per block kept or released.
#ifndef LINPROB_SOLVE_FIRST_PASS_BLOCKS_H_
#define LINPROB_SOLVE_FIRST_PASS_BLOCKS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "distributions/job_block.h"
#include "distributions/job_chunk.h"

namespace linprob {

// 512 MiB: a phase of n unknowns keeps up to about 65,000 / (n + 1) blocks,
// 1,000,000 samples of 63 unknowns or 10,000 samples of 6,500.
inline constexpr std::uint64_t kDefaultMemoryBudget = std::uint64_t{512} << 20;

// The memory one kept block of n unknowns takes: its values and weights.
std::uint64_t firstPassBlockBytes(unsigned n);

class FirstPassBlocks {
 public:
  // Keeps nothing: the phase replays its jobs in both passes.
  FirstPassBlocks() = default;
  // blocksPerChunk[c]: the blocks of chunk c. Keeps the chunks `share` owns
  // when their blocks take at most `budget` bytes.
  FirstPassBlocks(const std::vector<std::uint64_t>& blocksPerChunk,
             const ChunkShare& share, unsigned n, std::uint64_t budget);

  bool keeping() const { return keeping_; }

  // Keeps `block`, the solved block k of chunk c, and gives `block` one of
  // the same size in its place (from the pool: its values are stale).
  void keep(std::size_t chunk, std::uint64_t k, JobBlock& block);
  // Chunk c's kept blocks in job order.
  const std::vector<JobBlock>& blocks(std::size_t chunk) const {
    return chunks_[chunk];
  }
  // Hands chunk c's blocks to the pool once they are counted.
  void release(std::size_t chunk);

 private:
  bool keeping_ = false;
  unsigned n_ = 0;
  std::vector<std::vector<JobBlock>> chunks_;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_FIRST_PASS_BLOCKS_H_
