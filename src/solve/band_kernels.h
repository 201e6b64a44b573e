// The vectorised loops of BandCounter (solve/band_counter.h), each compiled
// once per LINPROB_VECTOR_CLONES target with its lane helpers flattened
// into it. Each gives, bit for bit, what the scalar statements named in its
// comment give: the counting pass's results do not depend on the machine.
#ifndef LINPROB_SOLVE_BAND_KERNELS_H_
#define LINPROB_SOLVE_BAND_KERNELS_H_

#include <cstddef>
#include <cstdint>

namespace linprob {

// FineHistogram::subBand of values[0 ... count-1], four at a time (the
// arrays hold count rounded up to four).
void subBandsOf(const double* values, std::size_t count, double min,
                double scale, std::int32_t* out);

// The weights' part of the weighted moments, job j into lane j mod 16.
void addWeights(const double* weights, std::size_t count, double* lanes);

// The values' part of the weighted moments about `reference` of jobs
// start ... count-1 (start a multiple of 16), job j into lane j mod 16, in
// the statement order of WeightedMoments::add.
void addMoments(const double* values, const double* weights,
                std::size_t count, double reference, double* sumFirst,
                double* sumSecond, std::size_t start);

// subBandsOf and addMoments (from job 0) of the same values in one loop.
void subBandsWithMoments(const double* values, const double* weights,
                         std::size_t count, double min, double scale,
                         std::int32_t* out, double reference,
                         double* sumFirst, double* sumSecond);

// sums[first] + ... + sums[end-1] in four interleaved partial sums, added
// in a fixed order at the end.
double rangeSum(const double* sums, std::size_t first, std::size_t end);

// above[k] += the number of values[0 ... count-1] above borders[k], for
// k < borderCount: with borders ascending, the jobs of each band without a
// search per job. Comparisons only, so exact.
void countAbove(const double* values, std::size_t count,
                const double* borders, std::size_t borderCount,
                std::uint32_t* above);

}  // namespace linprob

#endif  // LINPROB_SOLVE_BAND_KERNELS_H_
