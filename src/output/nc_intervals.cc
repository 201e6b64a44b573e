#include "output/nc_intervals.h"

#include <algorithm>
#include <cstddef>

#include "linear/pivot_mode.h"

namespace linprob {
namespace {

// The enclosures in the order of IntervalMatrixResult::methods.
constexpr std::size_t kEnclosures = kPivotModes.size() + 4;

}  // namespace

NcIntervals::NcIntervals(const ResultStore& store, const TableShape& shape)
    : store_(store), shape_(shape) {
  for (int s = 0; s < store_.systemCount() && !present_; ++s) {
    const SystemReference* reference = store_.reference(s);
    present_ = reference != nullptr && !reference->intervalMatrix.empty();
  }
}

std::vector<std::string> NcIntervals::enclosureNames() {
  std::vector<std::string> names;
  for (const PivotMode& mode : kPivotModes) {
    names.push_back(std::string(enclosureMethodName(EnclosureMethod::kNaive)) +
                    " " + mode.label);
  }
  for (const EnclosureMethod method :
       {EnclosureMethod::kHansenBliekRohn, EnclosureMethod::kKrawczyk,
        EnclosureMethod::kGaussSeidel, EnclosureMethod::kExactHull}) {
    names.emplace_back(enclosureMethodName(method));
  }
  return names;
}

void NcIntervals::define(NcDefiner& definer) {
  if (!present_) return;
  const NcDimensions& dims = definer.dimensions();
  const int s = dims.system;
  const int k = dims.enclosure;
  const int u = dims.unknown;
  lower_ = definer.define("enclosure_lower", NetcdfType::kDouble, {s, k, u});
  upper_ = definer.define("enclosure_upper", NetcdfType::kDouble, {s, k, u});
  overestimation_ =
      definer.define("overestimation", NetcdfType::kDouble, {s, k, u});
  reason_ = definer.define("interval_matrix_reason", NetcdfType::kString, {s});
}

void NcIntervals::put(NetcdfDataset& nc) {
  if (!present_) return;
  const std::size_t systems = shape_.systems;
  const std::size_t n = std::max<std::size_t>(shape_.unknowns, 1);
  std::vector<double> lower(systems * kEnclosures * n, kNetcdfFillDouble);
  std::vector<double> upper = lower, overestimation = lower;
  std::vector<std::string> reasons(systems);
  for (std::size_t s = 0; s < systems; ++s) {
    const SystemReference* reference = store_.reference(static_cast<int>(s));
    if (reference == nullptr || reference->intervalMatrix.empty()) {
      reasons[s] = "the system has no interval matrix (IntMatice.txt)";
      continue;
    }
    const std::optional<IntervalMatrixResult>& result = reference->intervalResults;
    if (!result) {
      reasons[s] = reference->intervalResultsReason;
      continue;
    }
    if (!result->regular) {
      reasons[s] = result->regularityReason;
      continue;
    }
    for (std::size_t m = 0; m < result->methods.size() && m < kEnclosures; ++m) {
      const MethodEnclosure& method = result->methods[m];
      if (!method.enclosure.bounds) continue;
      const std::vector<ValueBounds>& bounds = *method.enclosure.bounds;
      const std::size_t at = (s * kEnclosures + m) * n;
      for (std::size_t i = 0; i < bounds.size() && i < n; ++i) {
        lower[at + i] = bounds[i].lower;
        upper[at + i] = bounds[i].upper;
        if (i < method.overestimation.size() && method.overestimation[i]) {
          overestimation[at + i] = *method.overestimation[i];
        }
      }
    }
  }
  nc.put(lower_, lower);
  nc.put(upper_, upper);
  nc.put(overestimation_, overestimation);
  nc.put(reason_, reasons);
}

}  // namespace linprob
