// The work of a phase as a fixed sequence of chunks.
//
// A phase's jobs are grouped into units, prefixes in enumeration (all jobs
// that share the cell of entry 0) and blocks of kBlockJobs samples in
// sampling, and the units into chunks of consecutive units: chunk c of C
// holds units [c * U / C, (c + 1) * U / C). C is the number of units, but at
// most kMaxChunks and at most one chunk per kMinChunkJobs jobs (every chunk
// ends with work in proportion to the bands, not to its jobs), and at least
// one. The split depends only on the phase, never on how many threads (or
// processes) take the chunks, so partial results kept per chunk and combined
// in chunk order give the same bits for any number of workers.
//
// ChunkShare: which chunks one process takes when several processes share
// a phase. Chunk c goes to process c mod P: the split depends only on the
// chunk's index and P, so every process knows every other's chunks, and
// neighbouring chunks (of similar cost) go to different processes. The
// default share is the whole phase.
//
// JobChunk is what travels through the ChunkQueue: the chunk's index and its
// number of jobs (for the queue's bound and the progress count).
#ifndef LINPROB_DISTRIBUTIONS_JOB_CHUNK_H_
#define LINPROB_DISTRIBUTIONS_JOB_CHUNK_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace linprob {

inline constexpr std::size_t kMaxChunks = 256;
inline constexpr std::uint64_t kMinChunkJobs = 16384;

struct UnitRange {
  std::uint64_t first = 0;
  std::uint64_t end = 0;  // one past the last unit
};

struct ChunkPlan {
  std::uint64_t units = 0;
  std::size_t chunks = 0;

  // The chunks of `units` units holding `jobs` jobs in all; none without
  // units.
  static ChunkPlan of(std::uint64_t units, std::uint64_t jobs) {
    const std::uint64_t most = std::min<std::uint64_t>(units, kMaxChunks);
    const std::uint64_t byJobs = std::max<std::uint64_t>(jobs / kMinChunkJobs, 1);
    return ChunkPlan{units, static_cast<std::size_t>(std::min(most, byJobs))};
  }

  // units < 2^56, so the products cannot overflow.
  UnitRange range(std::size_t c) const {
    return UnitRange{c * units / chunks, (c + 1) * units / chunks};
  }
};

struct ChunkShare {
  int rank = 0;   // this process, 0 ... ranks-1
  int ranks = 1;  // the processes sharing the phase, at least 1

  bool owns(std::size_t c) const {
    return c % static_cast<std::size_t>(ranks) == static_cast<std::size_t>(rank);
  }
  // The first chunk this process owns, and the step to its next one.
  std::size_t first() const { return static_cast<std::size_t>(rank); }
  std::size_t step() const { return static_cast<std::size_t>(ranks); }
  // How many of `chunks` chunks this process owns.
  std::size_t ownedOf(std::size_t chunks) const {
    return chunks > first() ? (chunks - first() + step() - 1) / step() : 0;
  }
};

struct JobChunk {
  std::size_t index = 0;
  std::uint64_t jobs = 0;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_JOB_CHUNK_H_
