// PointBlocks: the right-hand sides of a sobol or lhs phase (PointDesign),
// filled block by block so that any thread can fill any block and gets the
// same numbers.
//
// Unit u is block u mod B of replicate u / B (PointDesign); its jobs are the
// design's points firstJobOf(u) ... of that replicate, entry e taking the
// points' coordinate e (SobolPoints or LatinHypercube, keyed by the phase's
// seed) through entry e's inverse distribution function (InverseCdf), each
// of weight design.jobWeight(). The layout is JobBlock's, entry-major; the
// lanes after the block's jobs are zeroed. fill() is const and allocates
// nothing.
#ifndef LINPROB_DISTRIBUTIONS_POINT_BLOCKS_H_
#define LINPROB_DISTRIBUTIONS_POINT_BLOCKS_H_

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

#include "distributions/family.h"
#include "distributions/inverse_cdf.h"
#include "distributions/job_block.h"
#include "distributions/latin_hypercube.h"
#include "distributions/point_design.h"
#include "distributions/sobol_points.h"

namespace linprob {

class PointBlocks {
 public:
  // Entry e has the numbers entries.entry(e). Throws std::invalid_argument
  // "point blocks: random points are drawn by SampleBlocks", "point blocks:
  // 3000 sobol points per replicate is not a power of two", or what
  // SobolPoints or LatinHypercube throw.
  PointBlocks(const FamilyInfo& family, const EntryParameters& entries,
              std::uint64_t seed, const PointDesign& design);

  const PointDesign& design() const { return design_; }

  // Fills unit `unit` (< design().blockCount()), zeroes the lanes after its
  // jobs and returns their number (also set as block.count).
  std::size_t fill(std::uint64_t unit, JobBlock& out) const;

 private:
  PointDesign design_;
  InverseCdf inverse_;
  double weight_;
  std::variant<SobolPoints, LatinHypercube> points_;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_POINT_BLOCKS_H_
