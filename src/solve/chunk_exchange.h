// Sharing one phase between the processes of a run (base/process_group.h):
// what each process hands the others after each pass, and how the parts
// come together so that every process ends with what one process alone
// would have counted, bit for bit.
//
// Each process takes the chunks its ChunkShare owns (chunk c on rank
// c mod P). After pass 1 every process's Extremes are gathered and merged;
// merging does not depend on the order (see Extremes), so all processes lay
// the same borders. After pass 2 the sums of each process's chunks are
// packed as doubles, chunk by chunk in increasing order (the band masses of
// every position, then, when moments are accumulated, each position's three
// moment sums), gathered on every process and unpacked into their chunks:
// the chunks are then added in chunk order exactly as in one process. The
// fine histograms' counts are integers, summed over the threads and the
// processes modulo 2^64, which any order gives alike.
//
// Every process gets every result, not only rank 0: all of them then go on
// through the run with the same values (and take the same branches).
#ifndef LINPROB_SOLVE_CHUNK_EXCHANGE_H_
#define LINPROB_SOLVE_CHUNK_EXCHANGE_H_

#include <cstdint>
#include <vector>

#include "base/process_group.h"
#include "distributions/job_chunk.h"
#include "solve/band_counter.h"
#include "solve/batch_parts.h"
#include "solve/batch_sums.h"
#include "solve/extremes.h"

namespace linprob {

// Fine-histogram counts by position (empty for a position without one).
using FineCounts = std::vector<std::vector<std::uint64_t>>;

ChunkShare shareOf(const ProcessGroup& group);

// The chunks `share` owns, in increasing order, as one run of doubles.
std::vector<double> packChunkSums(const std::vector<ChunkSums>& chunks,
                                  ChunkShare share, const CountLayout& layout);
// Fills the chunks `share` owns from packChunkSums's doubles; throws
// std::runtime_error "chunk exchange: 7 values for 9 sums" when the length
// does not fit the layout.
void unpackChunkSums(const std::vector<double>& packed, ChunkShare share,
                     const CountLayout& layout, std::vector<ChunkSums>& chunks);

// The collective steps (every process calls them at the same point).
void shareExtremes(Extremes& extremes, ProcessGroup& group);
// `chunks` holds this process's chunks on entry and every chunk on return.
void shareChunkSums(std::vector<ChunkSums>& chunks, const CountLayout& layout,
                    ProcessGroup& group);
// The counts of every thread of every process, added up.
FineCounts shareFineCounts(const std::vector<FineCounts>& byThread,
                           const CountLayout& layout, ProcessGroup& group);
// `parts` holds the parts of this process's chunks on entry and of every
// chunk on return (packed as chunks are); the batch histograms' counts are
// added up over the processes.
void shareBatchParts(std::vector<std::vector<BatchPart>>& parts,
                     BatchSums& batches, const CountLayout& layout,
                     ProcessGroup& group);

}  // namespace linprob

#endif  // LINPROB_SOLVE_CHUNK_EXCHANGE_H_
