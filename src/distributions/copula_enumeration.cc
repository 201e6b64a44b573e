#include "distributions/copula_enumeration.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "distributions/family.h"

namespace linprob {
namespace {

// The cells of n independent standard normals.
EnumerationJobs normalCells(unsigned n, int count) {
  EntryParameters standard;
  standard.width = 2;
  standard.numbers.reserve(std::size_t{n} * 2);
  for (unsigned e = 0; e < n; ++e) {
    standard.numbers.push_back(0.0);  // mean
    standard.numbers.push_back(1.0);  // variance
  }
  return EnumerationJobs{n, familyInfo(Family::kNormal).cells(count, standard)};
}

}  // namespace

CopulaEnumerationSource::CopulaEnumerationSource(const SourceRequest& request)
    : normals_(normalCells(request.n, request.count)),
      copula_(request.correlation, *request.family, request.entries) {}

void CopulaEnumerationSource::fill(std::size_t chunk, std::uint64_t k,
                                   JobBlock& block) const {
  normals_.fill(chunk, k, block);
  copula_.correlateNormals(block, block.count);
}

FamilyBox CopulaEnumerationSource::box() const {
  const FamilyBox cells = normals_.box();
  if (cells.faultyEntry) return cells;
  double deviation = 0.0;
  for (std::size_t e = 0; e < cells.lower.size(); ++e) {
    deviation = std::max(
        {deviation, std::abs(cells.lower[e]), std::abs(cells.upper[e])});
  }
  return copula_.normalsBox(deviation);
}

}  // namespace linprob
