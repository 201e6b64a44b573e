#include "distributions/point_blocks.h"

#include <bit>
#include <stdexcept>
#include <string>

namespace linprob {
namespace {

std::variant<SobolPoints, LatinHypercube> pointsOf(const PointDesign& design,
                                                   unsigned n,
                                                   std::uint64_t seed) {
  switch (design.points) {
    case PointSet::kSobol:
      if (!std::has_single_bit(design.replicateJobs)) {
        throw std::invalid_argument(
            "point blocks: " + std::to_string(design.replicateJobs) +
            " sobol points per replicate is not a power of two");
      }
      return SobolPoints(
          n, static_cast<unsigned>(std::countr_zero(design.replicateJobs)),
          seed);
    case PointSet::kLatinHypercube:
      return LatinHypercube(n, design.replicateJobs, seed);
    case PointSet::kRandom:
      break;
  }
  throw std::invalid_argument(
      "point blocks: random points are drawn by SampleBlocks");
}

}  // namespace

PointBlocks::PointBlocks(const FamilyInfo& family,
                         const EntryParameters& entries, std::uint64_t seed,
                         const PointDesign& design)
    : design_(design),
      inverse_(family, entries),
      weight_(design.jobWeight()),
      points_(pointsOf(design, entries.size(), seed)) {}

std::size_t PointBlocks::fill(std::uint64_t unit, JobBlock& out) const {
  const std::size_t count = design_.blockJobs(unit);
  const unsigned replicate = design_.replicateOf(unit);
  const std::uint64_t first = design_.firstJobOf(unit);
  for (unsigned e = 0; e < inverse_.size(); ++e) {
    double* const values = out.entry(e);
    std::visit(
        [&](const auto& points) {
          points.fill(replicate, e, first, count, values);
        },
        points_);
    inverse_.map(e, values, count);
  }
  for (std::size_t s = 0; s < count; ++s) out.probabilities[s] = weight_;
  out.count = count;
  out.clearLanesFrom(count);
  return count;
}

}  // namespace linprob
