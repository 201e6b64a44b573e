// PositionBands: the VALID histogram of one solution position, held as its
// borders and band masses instead of as every solved value.
//
// Borders: b0 = min, b_k = b_{k-1} + step with step = (max - min) / H, by
// repeated addition (the same roundings as the normal approximation's walk).
// Band k (1-based) holds b_{k-1} < v <= b_k, and values equal to min go to
// band 1. There are K bands: the first border not below max closes the last
// one, and, as in the walk, never more than H + 1 bands nor a band whose
// border would not move (mayOpenBand). A value lies in the first band whose
// upper border is not below it, or in the last band when none is.
//
// A phase finds min and max first (a pass over every job), lays the
// borders, then counts each job's probability into its band (a second pass).
// The borders are those of the walk over the sorted solved values bit for
// bit; band masses differ from that walk at most in the last bits, where the
// order of summation differs.
#ifndef LINPROB_SOLVE_BAND_TABLE_H_
#define LINPROB_SOLVE_BAND_TABLE_H_

#include <cassert>
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "solve/fine_histogram.h"
#include "solve/weighted_moments.h"

namespace linprob {

struct PositionBands {
  std::uint64_t count = 0;  // solved samples; 0 means no table at all
  double min = 0.0;
  double max = 0.0;
  double step = 0.0;
  std::vector<double> borders;  // upper borders b1 ... bK
  std::vector<double> masses;   // K band masses
  // Counted in the same pass as the masses, when the phase counts them:
  // the weighted moments of the solved values and their fine histogram
  // over [min, max].
  std::optional<WeightedMoments> moments;
  std::optional<FineHistogram> fine;
};

// By solution position.
using PhaseBands = std::vector<PositionBands>;

// The bands of solution position i, or nullptr when it solved nothing.
inline const PositionBands* solvedBands(const PhaseBands& bands,
                                        std::size_t i) {
  if (i >= bands.size() || bands[i].count == 0) return nullptr;
  return &bands[i];
}

// The width of one band: (max - min) / H, the difference rounded first. An H
// below 1 counts as 1.
double bandWidth(double min, double max, int histogramPrecision);
// Whether a walk that has opened `bandsOpen` bands, the last of them ending at
// `upper`, may open one more: at most H + 1 bands, and none whose border would
// not move (upper + step == upper). The histogram always opens its first band;
// the approximation asks before each of its bands, the first included.
bool mayOpenBand(int bandsOpen, double upper, double step,
                 int histogramPrecision);

// Whether the laid borders cover [min, max]: the last border is not below
// max (kReachesMax, always so where the width is well above the resolution
// of the values), or the walk had to stop before it got there (kFallsShort):
// the width is below the resolution of the values (adding it no longer moves
// a border), or rounding kept H + 1 borders below max. A table that falls
// short would put every value above its last border into its last band.
enum class BorderWalk { kReachesMax, kFallsShort };

// Fills step and borders (and K zero masses) from min and max, and says
// whether they reach max.
BorderWalk layBorders(PositionBands& bands, int histogramPrecision);

// The 0-based index of the band holding v, for min <= v <= max, searched
// from `guess` (any band; the nearer, the faster) by exact comparisons with
// the borders. Inline: it runs once per job and position in the counting
// pass.
inline std::size_t bandIndexFrom(const PositionBands& bands, double v,
                                 std::size_t guess) {
  const std::vector<double>& borders = bands.borders;
  assert(!borders.empty());
  const std::size_t last = borders.size() - 1;
  std::size_t k = guess < last ? guess : last;
  // The walk's test is "v > border" (a value on a border stays below it), so
  // the band is the first whose border v does not exceed, or the last band.
  // Borders never decrease, so one move down and one move up settle it.
  while (k > 0 && !(v > borders[k - 1])) --k;
  while (k < last && v > borders[k]) ++k;
  return k;
}

// The band from (v - min) / step as the guess: the accumulated borders drift
// from min + k * step by a few roundings only, so it is at most a band or two
// off.
inline std::size_t bandGuess(double offsetTimesInverseStep,
                             std::size_t last) {
  const double guess = offsetTimesInverseStep;
  if (guess >= static_cast<double>(last)) return last;
  if (guess > 0.0) return static_cast<std::size_t>(guess);
  return 0;  // also for a NaN guess (a zero step)
}

inline std::size_t bandIndex(const PositionBands& bands, double v) {
  const std::size_t last = bands.borders.size() - 1;
  if (last == 0) return 0;
  return bandIndexFrom(bands, v, bandGuess((v - bands.min) / bands.step, last));
}

// Whether v should replace the running minimum / maximum. Equal values keep
// the running one, except that -0.0 wins the minimum and +0.0 the maximum,
// so the result does not depend on the order the values come in.
inline bool lowerThan(double v, double min) {
  return v < min || (v == min && std::signbit(v) && !std::signbit(min));
}
inline bool higherThan(double v, double max) {
  return v > max || (v == max && !std::signbit(v) && std::signbit(max));
}

}  // namespace linprob

#endif  // LINPROB_SOLVE_BAND_TABLE_H_
