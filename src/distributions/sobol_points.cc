#include "distributions/sobol_points.h"

#include <boost/random/sobol.hpp>

#include <array>
#include <bit>
#include <stdexcept>
#include <string>

#include "distributions/hashed_bits.h"

namespace linprob {
namespace {

constexpr unsigned kDigits = 32;
// fill() looks the flips of the first kTableLevels digits up in a table of
// their 2^kTableLevels values, built per call from 2^kTableLevels - 1 hashes
// instead of kTableLevels hashes per point, when it fills at least
// kTableJobs points.
constexpr unsigned kTableLevels = 8;
constexpr std::size_t kTableJobs = 512;

// The node of digit k (k = 0 is the first) of a coordinate whose 32 digits
// are the top of `wide`: the k digits above it with a leading 1, so that
// nodes of different depths never meet. A shift by 64 is avoided at k = 0.
std::uint64_t nodeOf(std::uint64_t wide, unsigned k) {
  const std::uint64_t above = k == 0 ? 0 : wide >> (64 - k);
  return (std::uint64_t{1} << k) | above;
}

std::uint64_t flipOf(std::uint64_t key, std::uint64_t node) {
  return hashedWord(key, node) >> 63;
}

// v[d][j] for every dimension: the engine's state at Gray code 2^j is
// direction number j alone, and seed(2^(j+1) - 2) puts it there (the engine
// counts from the point after 0).
std::vector<std::uint32_t> directionNumbers(unsigned dimensions) {
  boost::random::sobol_engine<std::uint32_t, kDigits> engine(dimensions);
  std::vector<std::uint32_t> v(static_cast<std::size_t>(dimensions) * kDigits);
  for (unsigned j = 0; j < kDigits; ++j) {
    engine.seed(static_cast<std::uint32_t>((std::uint64_t{2} << j) - 2));
    for (unsigned d = 0; d < dimensions; ++d) v[d * kDigits + j] = engine();
  }
  return v;
}

}  // namespace

SobolPoints::SobolPoints(unsigned dimensions, unsigned log2Points,
                         std::uint64_t seed)
    : dimensions_(dimensions), log2Points_(log2Points), seed_(seed) {
  if (dimensions == 0) {
    throw std::invalid_argument("sobol points: 0 dimensions");
  }
  if (dimensions > kSobolMaxDimensions) {
    throw std::invalid_argument(
        "sobol points: " + std::to_string(dimensions) + " dimensions, at most " +
        std::to_string(kSobolMaxDimensions));
  }
  if (log2Points > kSobolMaxLog2Points) {
    throw std::invalid_argument("sobol points: 2^" + std::to_string(log2Points) +
                                " points, at most 2^" +
                                std::to_string(kSobolMaxLog2Points));
  }
  directions_ = directionNumbers(dimensions);
  steps_.resize(directions_.size());
  for (unsigned d = 0; d < dimensions; ++d) {
    std::uint32_t step = 0;
    for (unsigned k = 0; k < kDigits; ++k) {
      step ^= directions_[d * kDigits + k];
      steps_[d * kDigits + k] = step;
    }
  }
}

std::uint32_t SobolPoints::digits(unsigned dimension,
                                  std::uint64_t index) const {
  const std::uint32_t* v = directions_.data() + dimension * kDigits;
  std::uint32_t x = 0;
  for (unsigned j = 0; index != 0; ++j, index >>= 1) {
    if ((index & 1) != 0) x ^= v[j];
  }
  return x;
}

std::uint64_t SobolPoints::scramble(std::uint32_t x, std::uint64_t key,
                                   const FlipTable* table) const {
  const unsigned m = log2Points_;
  const std::uint64_t wide = static_cast<std::uint64_t>(x) << kDigits;
  std::uint64_t flips = 0;
  unsigned k = 0;
  if (table != nullptr) {
    flips = static_cast<std::uint64_t>((*table)[x >> (kDigits - kTableLevels)])
            << (64 - kTableLevels);
    k = kTableLevels;
  }
  for (; k < m; ++k) flips |= flipOf(key, nodeOf(wide, k)) << (63 - k);
  // The digits below the first m: independent uniform bits per point.
  const std::uint64_t word = hashedWord(key, nodeOf(wide, m));
  const std::uint64_t low = m == 0 ? word : word >> m;
  const std::uint64_t topMask = m == 0 ? 0 : ~std::uint64_t{0} << (64 - m);
  return ((wide ^ flips) & topMask) | low;
}

std::uint64_t SobolPoints::scrambled(unsigned replicate, unsigned dimension,
                                     std::uint64_t index) const {
  const std::uint64_t key =
      streamKey(seed_, KeyPurpose::kSobolScramble, replicate, dimension);
  return scramble(digits(dimension, index), key, nullptr);
}

void SobolPoints::fill(unsigned replicate, unsigned dimension,
                       std::uint64_t first, std::size_t count,
                       double* out) const {
  if (count == 0) return;
  const std::uint64_t key =
      streamKey(seed_, KeyPurpose::kSobolScramble, replicate, dimension);
  static_assert(std::tuple_size_v<FlipTable> == 1u << kTableLevels);
  FlipTable table;
  const bool tabled = log2Points_ >= kTableLevels && count >= kTableJobs;
  if (tabled) {
    // The flips of every node above the table's last level, then each
    // pattern of the first kTableLevels digits from its nodes'.
    std::array<std::uint8_t, 1u << kTableLevels> nodeFlips{};
    for (std::uint64_t node = 1; node < nodeFlips.size(); ++node) {
      nodeFlips[node] = static_cast<std::uint8_t>(flipOf(key, node));
    }
    for (std::uint32_t p = 0; p < table.size(); ++p) {
      const std::uint64_t wide = static_cast<std::uint64_t>(p)
                                 << (64 - kTableLevels);
      unsigned pattern = 0;
      for (unsigned k = 0; k < kTableLevels; ++k) {
        pattern |= static_cast<unsigned>(nodeFlips[nodeOf(wide, k)])
                   << (kTableLevels - 1 - k);
      }
      table[p] = static_cast<std::uint8_t>(pattern);
    }
  }
  const std::uint32_t* steps = steps_.data() + dimension * kDigits;
  std::uint32_t x = digits(dimension, first);
  std::uint64_t index = first;
  for (std::size_t s = 0;;) {
    out[s] = openUnit(scramble(x, key, tabled ? &table : nullptr));
    if (++s == count) break;
    // From i to i + 1 the bits 0 ... k change, k the trailing ones of i.
    x ^= steps[std::countr_one(index)];
    ++index;
  }
}

}  // namespace linprob
