// The seed of a sampling phase.
//
// A seeded run (--seed N) gives each phase its own seed, a function of N,
// the system index, the pivoting mode and the family only: the same run seed
// draws the same samples in every phase whatever the thread counts, and any
// one phase can be repeated on its own. The four values go through SplitMix64
// steps, so neighbouring inputs (seed 1 and 2, system 3 and 4) give unrelated
// seeds. An unseeded run draws each phase's seed from std::random_device.
#ifndef LINPROB_DISTRIBUTIONS_PHASE_SEED_H_
#define LINPROB_DISTRIBUTIONS_PHASE_SEED_H_

#include <cstdint>

#include "distributions/family.h"
#include "linear/pivot_mode.h"

namespace linprob {

std::uint64_t phaseSeed(std::uint64_t runSeed, int system,
                        const PivotMode& mode, Family family);

// 64 bits from std::random_device (two reads).
std::uint64_t drawSeed();

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_PHASE_SEED_H_
