// PointDesign: which points a sampling phase draws and how they split into
// independent batches, the units of its standard errors.
//
//   random  independent pseudo-random samples (RandomPoints); any group of
//           them is a batch. With one replicate the blocks fall into
//           min(kReplicates, blocks) batches of consecutive blocks (block u
//           of B in batch u * H / B), however the phase's ChunkPlan splits
//           them: a batch may end inside a chunk.
//   sobol   `replicates` independent scrambles of 2^m Sobol' points each
//           (SobolPoints), mapped through the inverse distribution
//           functions (InverseCdf); each scramble is a batch.
//   lhs     `replicates` independent Latin hypercube designs of N points
//           each (LatinHypercube), mapped the same way; each is a batch.
//
// Jobs are laid out replicate after replicate, each replicate in blocks of
// kBlockJobs (its last block shorter when N is not a multiple), so unit
// (block) u belongs to replicate u / B, B the blocks of a replicate. The
// chunks nest in the replicates: c chunks per replicate, c = N / kMinChunkJobs
// held within 1 ... max(1, kMaxChunks / replicates) and at most B, and the
// ChunkPlan of R * B units in R * c chunks then never lets a chunk cross a
// replicate (chunk k lies in replicate k / c). With one replicate this is
// ChunkPlan::of(blocks, jobs).
//
// pointDesign: a fixed-count phase of SampleCount S. random: one replicate
// of S. sobol: kReplicates scrambles of the power of two at or above
// S / kReplicates (rounded up): S = 100000 gives 16 x 8192 = 131072 samples.
// lhs: kReplicates designs of S / kReplicates rounded up.
//
// digitsRounds: the designs a --digits phase tries in turn, each a complete
// phase of kReplicates batches of M samples: M = 1024, 2048, ... (powers of
// two below the last) and last the largest M with kReplicates * M within the
// ceiling S (for sobol, S rounded up to a power of two as pointDesign does),
// so that a phase may reach its ceiling (S = 20000: 16 x 1024, then
// 16 x 1250). A phase
// stops at the first round whose results meet the rule, so the samples used
// are a function of the seed and the results alone, never of how many
// threads or processes solved them. A ceiling below 2 * kReplicates gives
// the one round pointDesign(S).
#ifndef LINPROB_DISTRIBUTIONS_POINT_DESIGN_H_
#define LINPROB_DISTRIBUTIONS_POINT_DESIGN_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "distributions/job_chunk.h"
#include "distributions/point_kinds.h"

namespace linprob {

// Replicates (batches) of a sobol or lhs phase, and of every --digits round.
inline constexpr unsigned kReplicates = 16;

struct PointDesign {
  PointKind points = PointKind::kRandom;  // a kind that samples
  unsigned replicates = 1;
  std::uint64_t replicateJobs = 0;  // N

  std::uint64_t jobCount() const { return replicates * replicateJobs; }
  std::uint64_t replicateBlocks() const;  // B
  std::uint64_t blockCount() const;       // R * B
  // Jobs of unit u (0 for u past the end).
  std::size_t blockJobs(std::uint64_t unit) const;
  unsigned replicateOf(std::uint64_t unit) const;
  // The first job of unit u within its replicate.
  std::uint64_t firstJobOf(std::uint64_t unit) const;

  std::size_t chunksPerReplicate() const;  // c
  ChunkPlan chunkPlan() const;
  std::uint64_t chunkJobs(std::size_t chunk) const;
  // The batches behind standard errors: the replicates, or with one
  // replicate consecutive groups of blocks; batchOf(unit) < batchCount(),
  // never decreasing with the unit.
  std::size_t batchCount() const;
  std::size_t batchOf(std::uint64_t unit) const;
  // The jobs of batch b (0 for b past the end): the sum of blockJobs over
  // the units batchOf puts in it.
  std::uint64_t batchJobs(std::size_t batch) const;
  // The weight of every job: 1 / jobCount() evaluated in float, as
  // sampleWeight.
  double jobWeight() const;
};

// The kind's replicates (its row) decide both.

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_POINT_DESIGN_H_
