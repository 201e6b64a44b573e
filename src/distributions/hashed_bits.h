// Keyed random bits for the point sets of a sampling phase: every bit a
// scramble or a permutation needs is a function of a key and a word, so any
// thread computes any point without a generator's state.
//
// streamKey(seed, purpose, replicate, dimension): a 64-bit key of its own for
// each use of the phase's seed, each replicate and each dimension, from one
// Philox2x64-10 call (the counter-based generator of SampleBlocks): keys of
// neighbouring replicates or dimensions are unrelated.
//
// hashedWord(key, word): 64 bits that look random for each (key, word); for a
// fixed key, distinct words give distinct results (every step is a
// bijection). Inline and cheap (two multiplications): it runs once per
// scrambled digit.
#ifndef LINPROB_DISTRIBUTIONS_HASHED_BITS_H_
#define LINPROB_DISTRIBUTIONS_HASHED_BITS_H_

#include <cstdint>

namespace linprob {

// What a key is for; part of the counter, so that one seed gives unrelated
// keys to each use.
enum class KeyPurpose : std::uint64_t {
  kSobolScramble = 1,
  kHypercubePermutation = 2,
  kHypercubeJitter = 3,
};

std::uint64_t streamKey(std::uint64_t seed, KeyPurpose purpose,
                        unsigned replicate, unsigned dimension);

inline std::uint64_t hashedWord(std::uint64_t key, std::uint64_t word) {
  // The word spread by an odd multiplier, the key added, then a mixing
  // finaliser of xor-shifts and odd multiplications.
  std::uint64_t z = word * 0x9e3779b97f4a7c15ULL;
  z ^= key;
  z ^= z >> 32;
  z *= 0xd6e8feb86659fd93ULL;
  z ^= z >> 32;
  z *= 0xd6e8feb86659fd93ULL;
  z ^= z >> 32;
  return z;
}

// (0, 1): the top 52 bits of a word and a half, scaled exactly; never 0 or 1,
// so that every inverse distribution function is finite on it.
inline double openUnit(std::uint64_t word) {
  const double half = static_cast<double>(word >> 12) + 0.5;
  return half * 0x1p-52;
}

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_HASHED_BITS_H_
