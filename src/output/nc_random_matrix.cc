#include "output/nc_random_matrix.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "linear/pivot_mode.h"

namespace linprob {

NcRandomMatrix::NcRandomMatrix(const ResultStore& store,
                               const TableShape& shape)
    : store_(store), shape_(shape) {
  for (int s = 0; s < store_.systemCount() && !present_; ++s) {
    const SystemReference* reference = store_.reference(s);
    present_ = reference != nullptr && reference->hasRandomMatrix();
  }
}

void NcRandomMatrix::define(NcDefiner& definer) {
  if (!present_) return;
  const NcDimensions& dims = definer.dimensions();
  refused_ = definer.define("near_singular_share", NetcdfType::kDouble,
                            {dims.system, dims.mode, dims.family});
  changed_ = definer.define("pivot_change_share", NetcdfType::kDouble,
                            {dims.system, dims.mode, dims.family});
  secondOrder_ =
      definer.define("second_order_mean", NetcdfType::kDouble,
                     {dims.system, dims.mode, dims.family, dims.unknown});
}

void NcRandomMatrix::put(NetcdfDataset& nc) {
  if (!present_) return;
  const std::size_t families = shape_.families.size();
  const std::size_t n = std::max<std::size_t>(shape_.unknowns, 1);
  const std::size_t phases = shape_.systems * kPivotModes.size() * families;
  std::vector<double> refused(phases, kNetcdfFillDouble);
  std::vector<double> changed = refused;
  std::vector<double> secondOrder(phases * n, kNetcdfFillDouble);
  for (std::size_t s = 0; s < shape_.systems; ++s) {
    for (const PivotMode& mode : kPivotModes) {
      for (std::size_t f = 0; f < families; ++f) {
        const StoredPhase& run = store_.phaseRun(
            static_cast<int>(s), mode.index, shape_.families[f]);
        if (!run.stored || !run.randomMatrix) continue;
        const RandomMatrixOutcome& random = *run.randomMatrix;
        const std::size_t at =
            (s * kPivotModes.size() + static_cast<std::size_t>(mode.index)) *
                families +
            f;
        refused[at] = random.refusedShare;
        changed[at] = random.pivotChangeShare;
        const std::vector<double>& mean = random.secondOrderMean;
        std::copy_n(mean.begin(), std::min(mean.size(), n),
                    secondOrder.begin() + static_cast<std::ptrdiff_t>(at * n));
      }
    }
  }
  nc.put(refused_, refused);
  nc.put(changed_, changed);
  nc.put(secondOrder_, secondOrder);
}

}  // namespace linprob
