// Reading a histogram of sub-band counts (a phase's fine histogram or a
// batch's) as a distribution: the value below which a given fraction of its
// mass lies, the fraction of its mass below a value, and its fourth central
// moment. Within a sub-band the mass is taken as spread evenly over it
// (its borders min + k · resolution), so values and fractions are continuous
// and accurate to a fraction of a sub-band: enough for standard errors,
// which need two digits, never for the intervals themselves
// (coverage_interval.h reads those at exact borders).
//
// woodruffError: the standard error of the value at fraction p of the mass
// (a quantile) from the standard error s of the fraction below it
// (Woodruff's interval: the values at p - k s and p + k s bound the
// quantile as p ± k s bounds the fraction): u = (x(p + k s) - x(p - k s)) /
// (2 k). NaN when p - k s or p + k s lies within one sample's fraction
// (`sampleFraction`) of either end, where the bound would need values beyond
// those the histogram holds.
#ifndef LINPROB_RESULTS_HISTOGRAM_LEVELS_H_
#define LINPROB_RESULTS_HISTOGRAM_LEVELS_H_

#include <cstdint>
#include <span>

#include "solve/sub_band_grid.h"

namespace linprob {

struct HistogramView {
  const SubBandGrid* grid = nullptr;
  std::span<const std::uint64_t> counts;  // grid->subBands() of them
  std::uint64_t total = 0;                // their sum
};

// The values at `fractions` (ascending, each in [0, 1]), into `values`, in one
// pass over the counts. A histogram without mass gives NaN.
void valuesAtFractions(const HistogramView& histogram,
                    std::span<const double> fractions, std::span<double> values);
// The fraction of the mass below x.
double fractionBelow(const HistogramView& histogram, double x);
// sum of count_k (m_k - mean)^4 / total, m_k the middle of sub-band k.
double fourthCentralMoment(const HistogramView& histogram, double mean);

double woodruffError(const HistogramView& histogram, double fraction,
                     double fractionError, double coverageFactor,
                     double sampleFraction);

}  // namespace linprob

#endif  // LINPROB_RESULTS_HISTOGRAM_LEVELS_H_
