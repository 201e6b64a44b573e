// LatinHypercube: Latin hypercube samples of N points in `dimensions`
// dimensions, any number of independent replicates.
//
// In every dimension d the N points fall one into each stratum
// [k / N, (k + 1) / N): point i of replicate r lies in stratum
// pi(i) = (F(i) + offset) mod N, at a uniform position within it:
//   F       a permutation of 0 ... N-1: a six-round Feistel network on the
//           smallest even number of bits that holds N - 1, walked again
//           while its result is N or more (fewer than four steps on
//           average), its round functions hashedWord of the round keys;
//   offset  uniform on 0 ... N-1, so that each point's stratum alone is
//           uniform whatever F is;
//   jitter  openUnit(hashedWord(jitter key, i)) in (0, 1);
// the keys from streamKey(seed, ..., r, d). The coordinate is
// (pi(i) + jitter) / N, held below 1. Nothing is stored per point, so any
// thread computes any block of points, a replicate of any N takes no memory,
// and the same seed gives the same points. fill() allocates nothing.
#ifndef LINPROB_DISTRIBUTIONS_LATIN_HYPERCUBE_H_
#define LINPROB_DISTRIBUTIONS_LATIN_HYPERCUBE_H_

#include <array>
#include <cstddef>
#include <cstdint>

#include "distributions/hashed_bits.h"

namespace linprob {

class LatinHypercube {
 public:
  // Throws std::invalid_argument "latin hypercube: 0 dimensions" or
  // "latin hypercube: no points".
  LatinHypercube(unsigned dimensions, std::uint64_t points,
                 std::uint64_t seed);

  unsigned dimensions() const { return dimensions_; }
  std::uint64_t points() const { return points_; }

  // The stratum of point `index` (< points()).
  std::uint64_t stratum(unsigned replicate, unsigned dimension,
                        std::uint64_t index) const;
  // out[0 ... count-1]: the coordinates in (0, 1) of points first ...
  // first+count-1 (first + count <= points()).
  void fill(unsigned replicate, unsigned dimension, std::uint64_t first,
            std::size_t count, double* out) const;

 private:
  static constexpr int kRounds = 6;
  struct Permutation {
    std::array<std::uint64_t, kRounds> keys{};
    std::uint64_t offset = 0;
  };

  Permutation permutation(unsigned replicate, unsigned dimension) const;
  std::uint64_t permute(const Permutation& p, std::uint64_t index) const;
  // One pass of the Feistel network, which permute() repeats until the
  // result is below N.
  std::uint64_t feistel(const Permutation& p, std::uint64_t x) const {
    std::uint64_t left = x >> halfBits_;
    std::uint64_t right = x & halfMask_;
    for (const std::uint64_t key : p.keys) {
      const std::uint64_t next = left ^ (hashedWord(key, right) & halfMask_);
      left = right;
      right = next;
    }
    return (left << halfBits_) | right;
  }

  unsigned dimensions_;
  std::uint64_t points_;
  std::uint64_t seed_;
  unsigned halfBits_;        // each half of the Feistel network
  std::uint64_t halfMask_;   // 2^halfBits - 1
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_LATIN_HYPERCUBE_H_
