#include "distributions/latin_hypercube.h"

#include <algorithm>
#include <array>
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
    x = feistel(p, x);
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
  // permute() for a run of points at a time: each pass of the network runs
  // over every point still walking, so that the passes of different points,
  // independent of each other, overlap in the processor instead of waiting
  // on one chain of multiplications.
  constexpr std::size_t kRun = 256;
  std::array<std::uint64_t, kRun> strata;
  std::array<std::uint16_t, kRun> walking;
  for (std::size_t from = 0; from < count; from += kRun) {
    const std::size_t run = std::min(kRun, count - from);
    for (std::size_t s = 0; s < run; ++s) {
      strata[s] = first + from + s;
      walking[s] = static_cast<std::uint16_t>(s);
    }
    std::size_t left = run;
    while (left > 0) {
      for (std::size_t w = 0; w < left; ++w) {
        strata[walking[w]] = feistel(p, strata[walking[w]]);
      }
      std::size_t still = 0;
      for (std::size_t w = 0; w < left; ++w) {
        if (strata[walking[w]] >= points_) walking[still++] = walking[w];
      }
      left = still;
    }
    for (std::size_t s = 0; s < run; ++s) {
      const std::uint64_t shifted = strata[s] + p.offset;
      strata[s] = shifted >= points_ ? shifted - points_ : shifted;
    }
    for (std::size_t s = 0; s < run; ++s) {
      const std::uint64_t index = first + from + s;
      const auto k = static_cast<double>(strata[s]);
      const double jitter = openUnit(hashedWord(jitterKey, index));
      // Stratum plus position, then over N; a sum that rounds up to N would
      // give 1, which the point never reaches.
      const double position = k + jitter;
      const double x = position / n;
      out[from + s] = x < 1.0 ? x : belowOne;
    }
  }
}

}  // namespace linprob
