// MappedPoints: the right-hand sides of a design whose points are uniform on
// the unit cube, each coordinate taken through its entry's inverse
// distribution function (InverseCdf): scrambled Sobol' points (SobolPoints)
// and Latin hypercube designs (LatinHypercube), and any kind of points with
// the same fill.
//
// Unit u is block u mod B of replicate u / B (PointDesign); its jobs are the
// design's points firstJobOf(u) ... of that replicate, entry e taking the
// points' coordinate e (keyed by the phase's seed) through entry e's inverse
// distribution function, each of weight design.jobWeight(). The layout is
// JobBlock's, entry-major; the lanes after the block's jobs are zeroed.
// `Points` has fill(replicate, dimension, first, count, out), writing the
// coordinates in (0, 1) of points first ... first+count-1.
#ifndef LINPROB_DISTRIBUTIONS_POINT_BLOCKS_H_
#define LINPROB_DISTRIBUTIONS_POINT_BLOCKS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "distributions/family.h"
#include "distributions/entry_correlation.h"
#include "distributions/inverse_cdf.h"
#include "distributions/job_block.h"
#include "distributions/point_design.h"
#include "distributions/point_generator.h"

namespace linprob {

template <typename Points>
class MappedPoints final : public PointGenerator {
 public:
  // Entry e has the numbers entries.entry(e); with a factor, the entries
  // are correlated through it (entry_correlation.h).
  MappedPoints(const FamilyInfo& family, const EntryParameters& entries,
               const PointDesign& design, Points points,
               std::shared_ptr<const CorrelationFactor> correlation = nullptr)
      : design_(design),
        inverse_(family, entries),
        weight_(design.jobWeight()),
        points_(std::move(points)) {
    if (correlation) copula_.emplace(std::move(correlation), family, entries);
  }

  std::size_t fill(std::uint64_t unit, JobBlock& out) const override {
    const std::size_t count = design_.blockJobs(unit);
    const unsigned replicate = design_.replicateOf(unit);
    const std::uint64_t first = design_.firstJobOf(unit);
    for (unsigned e = 0; e < inverse_.size(); ++e) {
      double* const values = out.entry(e);
      points_.fill(replicate, e, first, count, values);
      if (!copula_) inverse_.map(e, values, count);
    }
    if (copula_) copula_->correlate(out, count);
    for (std::size_t s = 0; s < count; ++s) out.probabilities[s] = weight_;
    out.count = count;
    out.clearLanesFrom(count);
    return count;
  }

 private:
  PointDesign design_;
  InverseCdf inverse_;
  std::optional<EntryCopula> copula_;
  double weight_;
  Points points_;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_POINT_BLOCKS_H_
