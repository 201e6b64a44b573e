// SobolPoints: scrambled Sobol' points in `dimensions` dimensions, 2^m points
// per replicate, any number of independent replicates.
//
// Unscrambled, point i (0 <= i < 2^32) in dimension d is the 32-digit binary
// fraction x = XOR of v[d][j] over the bits j set in i (natural order, not
// Gray-code order), with the direction numbers v of Boost.Random's
// sobol_engine (Joe and Kuo's primitive polynomials and initial numbers, at
// most 3667 dimensions). Dimension 0 is the van der Corput sequence. The
// first 2^k points, for any k, form a (t, k, s)-net.
//
// Scrambled (nested uniform scrambling in base 2): digit k (k = 1, 2, ...)
// of a coordinate is flipped or not by a random bit that depends on the
// digits above it, hashedWord(key, node) with node the k-1 digits above
// marked by a leading 1, and key = streamKey(seed, kSobolScramble,
// replicate, d). The scramble maps every elementary interval onto one of the
// same size, so it keeps the net property, and each point alone is uniform
// on [0, 1)^s. The first m digits are scrambled one by one; the points of a
// replicate (i < 2^m) differ in them already in every dimension, so the
// digits below are independent uniform bits for each point: all 64 - m of
// them are hashed at once from the m digits above, which is the same
// distribution as scrambling them one by one.
//
// A coordinate is returned as the 64-bit scrambled fraction or as the double
// (top 52 bits + 1/2) / 2^52 in (0, 1). Point i of replicate r in dimension d
// depends on nothing else, so any thread computes any block of points and
// the same seed gives the same points. fill() allocates nothing; filling 512
// points or more it looks the first 8 digits' flips up in a table built
// from their 255 nodes, with the same result bit for bit.
#ifndef LINPROB_DISTRIBUTIONS_SOBOL_POINTS_H_
#define LINPROB_DISTRIBUTIONS_SOBOL_POINTS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace linprob {

inline constexpr unsigned kSobolMaxDimensions = 3667;
inline constexpr unsigned kSobolMaxLog2Points = 31;

class SobolPoints {
 public:
  // 2^log2Points points per replicate. Throws std::invalid_argument
  // "sobol points: 0 dimensions", "sobol points: 4000 dimensions, at most
  // 3667" or "sobol points: 2^32 points, at most 2^31".
  SobolPoints(unsigned dimensions, unsigned log2Points, std::uint64_t seed);

  unsigned dimensions() const { return dimensions_; }
  unsigned log2Points() const { return log2Points_; }
  std::uint64_t points() const { return std::uint64_t{1} << log2Points_; }

  // The unscrambled coordinate of point `index` as a 32-digit fraction.
  std::uint32_t digits(unsigned dimension, std::uint64_t index) const;
  // The scrambled coordinate as a 64-digit fraction; index < points().
  std::uint64_t scrambled(unsigned replicate, unsigned dimension,
                          std::uint64_t index) const;
  // out[0 ... count-1]: the scrambled coordinates in (0, 1) of points
  // first ... first+count-1 (first + count <= points()).
  void fill(unsigned replicate, unsigned dimension, std::uint64_t first,
            std::size_t count, double* out) const;

 private:
  // The flips of the first 8 digits, by their value (see fill()).
  using FlipTable = std::array<std::uint8_t, 256>;

  std::uint64_t scramble(std::uint32_t x, std::uint64_t key,
                         const FlipTable* table) const;

  unsigned dimensions_;
  unsigned log2Points_;
  std::uint64_t seed_;
  std::vector<std::uint32_t> directions_;  // [dimension * 32 + bit]
  // steps_[d * 32 + k]: XOR of v[d][0 ... k], what moves point i to i + 1
  // when i ends in k one bits.
  std::vector<std::uint32_t> steps_;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SOBOL_POINTS_H_
