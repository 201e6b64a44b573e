#include "distributions/latin_hypercube.h"

#include <bit>
#include <cmath>
#include <stdexcept>

#include "distributions/hashed_bits.h"

namespace linprob {

LatinHypercube::LatinHypercube(unsigned dimensions, std::uint64_t points,
                               std::uint64_t seed)
    : dimensions_(dimensions), points_(points), seed_(seed) {
  if (dimensions == 0) {
    throw std::invalid_argument("latin hypercube: 0 dimensions");
  }
  if (points == 0) throw std::invalid_argument("latin hypercube: no points");
  // The bits of N - 1, at least 2, rounded up to an even number.
  const auto bits = static_cast<unsigned>(std::bit_width(points - 1));
  halfBits_ = bits < 2 ? 1 : (bits + 1) / 2;
  halfMask_ = (std::uint64_t{1} << halfBits_) - 1;
}

LatinHypercube::Permutation LatinHypercube::permutation(
    unsigned replicate, unsigned dimension) const {
  const std::uint64_t key = streamKey(
      seed_, KeyPurpose::kHypercubePermutation, replicate, dimension);
  Permutation p;
  for (int r = 0; r < kRounds; ++r) {
    p.keys[static_cast<std::size_t>(r)] =
        hashedWord(key, static_cast<std::uint64_t>(r));
  }
  // A uniform offset: the top 64 bits of a 128-bit product.
  const auto wide = static_cast<unsigned __int128>(hashedWord(key, kRounds)) *
                    points_;
  p.offset = static_cast<std::uint64_t>(wide >> 64);
  return p;
}

std::uint64_t LatinHypercube::permute(const Permutation& p,
                                      std::uint64_t index) const {
  std::uint64_t x = index;
  do {
    std::uint64_t left = x >> halfBits_;
    std::uint64_t right = x & halfMask_;
    for (const std::uint64_t key : p.keys) {
      const std::uint64_t next = left ^ (hashedWord(key, right) & halfMask_);
      left = right;
      right = next;
    }
    x = (left << halfBits_) | right;
  } while (x >= points_);  // cycle walking: stays within 0 ... N-1
  const std::uint64_t shifted = x + p.offset;
  return shifted >= points_ ? shifted - points_ : shifted;
}

std::uint64_t LatinHypercube::stratum(unsigned replicate, unsigned dimension,
                                      std::uint64_t index) const {
  return permute(permutation(replicate, dimension), index);
}

void LatinHypercube::fill(unsigned replicate, unsigned dimension,
                          std::uint64_t first, std::size_t count,
                          double* out) const {
  const Permutation p = permutation(replicate, dimension);
  const std::uint64_t jitterKey =
      streamKey(seed_, KeyPurpose::kHypercubeJitter, replicate, dimension);
  const auto n = static_cast<double>(points_);
  const double belowOne = std::nextafter(1.0, 0.0);
  for (std::size_t s = 0; s < count; ++s) {
    const std::uint64_t index = first + s;
    const auto k = static_cast<double>(permute(p, index));
    const double jitter = openUnit(hashedWord(jitterKey, index));
    // Stratum plus position, then over N; a sum that rounds up to N would
    // give 1, which the point never reaches.
    const double position = k + jitter;
    const double x = position / n;
    out[s] = x < 1.0 ? x : belowOne;
  }
}

}  // namespace linprob
