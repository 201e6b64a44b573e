#include "distributions/point_blocks.h"

#include <bit>
#include <memory>
#include <stdexcept>
#include <string>

#include "distributions/job_source.h"
#include "distributions/latin_hypercube.h"
#include "distributions/sobol_points.h"

namespace linprob {

std::unique_ptr<PointGenerator> makeSobolPoints(const SourceRequest& request,
                                                const PointDesign& design) {
  if (!std::has_single_bit(design.replicateJobs)) {
    throw std::invalid_argument(
        "point blocks: " + std::to_string(design.replicateJobs) +
        " sobol points per replicate is not a power of two");
  }
  SobolPoints points(
      request.n, static_cast<unsigned>(std::countr_zero(design.replicateJobs)),
      request.seed);
  return std::make_unique<MappedPoints<SobolPoints>>(
      *request.family, request.entries, design, std::move(points),
      request.correlation);
}

std::unique_ptr<PointGenerator> makeLatinHypercubePoints(
    const SourceRequest& request, const PointDesign& design) {
  LatinHypercube points(request.n, design.replicateJobs, request.seed);
  return std::make_unique<MappedPoints<LatinHypercube>>(
      *request.family, request.entries, design, std::move(points),
      request.correlation);
}

}  // namespace linprob
