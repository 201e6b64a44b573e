// PointGenerator: the right-hand sides of a sampling phase's design
// (PointDesign), filled block by block: unit u of the design is its block
// u mod B of replicate u / B, each job of weight design.jobWeight(). One
// kind of points (point_kinds.h) is one generator: random samples
// (random_points.h), scrambled Sobol' points and Latin hypercube designs
// (point_blocks.h). A generator is built before the phase's threads start;
// fill() is const, allocates nothing and may run on any number of threads
// at once, and the same seed gives the same points in any order of units.
#ifndef LINPROB_DISTRIBUTIONS_POINT_GENERATOR_H_
#define LINPROB_DISTRIBUTIONS_POINT_GENERATOR_H_

#include <cstddef>
#include <cstdint>

#include "distributions/job_block.h"

namespace linprob {

class PointGenerator {
 public:
  PointGenerator() = default;
  PointGenerator(const PointGenerator&) = delete;
  PointGenerator& operator=(const PointGenerator&) = delete;
  virtual ~PointGenerator() = default;

  // Fills unit `unit` (< design.blockCount()), zeroes the lanes after its
  // jobs and returns their number (also set as block.count).
  virtual std::size_t fill(std::uint64_t unit, JobBlock& out) const = 0;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_POINT_GENERATOR_H_
