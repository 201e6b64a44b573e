#include "output/nc_systems.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "linear/system_files.h"
#include "results/condition_verdict.h"

namespace linprob {
namespace {

// About this many values a chunk of the inverse's enclosure (512 KiB).
constexpr std::size_t kChunkValues = 65536;
// The bytes of one byte plane of a chunk of shares per family: below
// deflate's window of 32 KiB, so that a family whose shares repeat
// another's (the same variances up to a factor) costs little.
constexpr std::size_t kSharePlaneBytes = 16384;

}  // namespace

NcSystems::NcSystems(const ResultStore& store, const TableShape& shape)
    : store_(store), shape_(shape) {}

bool NcSystems::anyInverse() const {
  for (int s = 0; s < store_.systemCount(); ++s) {
    const SystemReference* reference = store_.reference(s);
    if (reference != nullptr && reference->inverse) return true;
  }
  return false;
}

bool NcSystems::anyCellShares() const {
  for (int s = 0; s < store_.systemCount(); ++s) {
    const SystemReference* reference = store_.reference(s);
    if (reference == nullptr) continue;
    for (const FamilyInfo& info : kFamilies) {
      const FamilyReference* family = reference->family(info.family);
      if (family != nullptr && family->cellShares) return true;
    }
  }
  return false;
}

void NcSystems::define(NcDefiner& definer) {
  const NcDimensions& dims = definer.dimensions();
  const int s = dims.system;
  const int u = dims.unknown;
  const int e = dims.entry;
  system_.folder = definer.define("folder", NetcdfType::kString, {s});
  system_.rhs = definer.define("rhs", NetcdfType::kDouble, {s, e});
  system_.rhsLower = definer.define("interval_rhs_lower", NetcdfType::kDouble, {s, e});
  system_.rhsUpper = definer.define("interval_rhs_upper", NetcdfType::kDouble, {s, e});
  system_.trueSolution = definer.define("true_solution", NetcdfType::kDouble, {s, u});
  system_.hullLower = definer.define("exact_hull_lower", NetcdfType::kDouble, {s, u});
  system_.hullUpper = definer.define("exact_hull_upper", NetcdfType::kDouble, {s, u});
  system_.condition = definer.define("condition_number", NetcdfType::kDouble, {s});
  system_.conditionLower =
      definer.define("condition_number_enclosure_lower", NetcdfType::kDouble, {s});
  system_.conditionUpper =
      definer.define("condition_number_enclosure_upper", NetcdfType::kDouble, {s});
  system_.level = definer.define("condition_level", NetcdfType::kString, {s});
  system_.words = definer.define("condition_text", NetcdfType::kString, {s});
  for (std::size_t r = 0; r < kReasons.size(); ++r) {
    system_.reasons[r] = definer.define(kReasons[r], NetcdfType::kString, {s});
  }
  const std::size_t n = std::max<std::size_t>(shape_.unknowns, 1);
  if (anyInverse()) {
    rowsPerChunk_ = std::clamp<std::size_t>(kChunkValues / n, 1, n);
    system_.inverseLower = definer.define("inverse_lower", NetcdfType::kDouble,
                                  {s, u, e}, {}, {1, rowsPerChunk_, n});
    system_.inverseUpper = definer.define("inverse_upper", NetcdfType::kDouble,
                                  {s, u, e}, {}, {1, rowsPerChunk_, n});
  }
  shareRows_ = std::clamp<std::size_t>(kSharePlaneBytes / n, 1, n);
  const int f = dims.family;
  system_.share = definer.define("share", NetcdfType::kDouble, {s, f, u, e}, {},
                         {1, std::max<std::size_t>(shape_.families.size(), 1),
                          shareRows_, n});
  if (anyCellShares()) {
    system_.cellShare = definer.define(
        "cells_share", NetcdfType::kDouble, {s, f, u, e}, {},
        {1, std::max<std::size_t>(shape_.families.size(), 1), shareRows_, n});
  }
}

void NcSystems::put(NetcdfDataset& nc) {
  const std::size_t systems = shape_.systems;
  const std::size_t n = std::max<std::size_t>(shape_.unknowns, 1);
  std::vector<std::string> folders(systems), levels(systems), words(systems);
  std::array<std::vector<std::string>, kReasons.size()> reasons;
  for (auto& reason : reasons) reason.assign(systems, std::string());
  std::vector<double> rhs(systems * n, kNetcdfFillDouble);
  std::vector<double> rhsLower = rhs, rhsUpper = rhs, trueSolution = rhs,
                      hullLower = rhs, hullUpper = rhs;
  std::vector<double> condition(systems, kNetcdfFillDouble);
  std::vector<double> conditionLower = condition, conditionUpper = condition;
  for (std::size_t s = 0; s < systems; ++s) {
    folders[s] = systemFolder(static_cast<int>(s));
    const SystemReference* reference = store_.reference(static_cast<int>(s));
    if (reference == nullptr) continue;
    for (std::size_t j = 0; j < reference->rhs.size() && j < n; ++j) {
      rhs[s * n + j] = reference->rhs[j];
    }
    for (std::size_t j = 0; j < reference->intervalRhs.size() && j < n; ++j) {
      rhsLower[s * n + j] = reference->intervalRhs[j].lower;
      rhsUpper[s * n + j] = reference->intervalRhs[j].upper;
    }
    if (reference->exact) {
      const ExactReference& exact = *reference->exact;
      for (std::size_t i = 0; i < exact.trueSolution.size() && i < n; ++i) {
        if (exact.trueSolution[i]) trueSolution[s * n + i] = *exact.trueSolution[i];
      }
      for (std::size_t i = 0; i < exact.hull.size() && i < n; ++i) {
        if (!exact.hull[i]) continue;
        hullLower[s * n + i] = exact.hull[i]->lower;
        hullUpper[s * n + i] = exact.hull[i]->upper;
      }
      condition[s] = exact.conditionNumber;
      conditionLower[s] = exact.conditionEnclosure.lower;
      conditionUpper[s] = exact.conditionEnclosure.upper;
    }
    if (reference->condition) {
      levels[s] = conditionLevelName(reference->condition->level);
      words[s] = reference->condition->text;
    }
    const ReferenceReasons& given = reference->reasons;
    reasons[0][s] = given.trueSolution;
    reasons[1][s] = given.hull;
    reasons[2][s] = given.conditionNumber;
    reasons[3][s] = given.moments;
    reasons[4][s] = reference->inverseReason;
  }
  nc.put(system_.folder, folders);
  nc.put(system_.rhs, std::span<const double>(rhs));
  nc.put(system_.rhsLower, std::span<const double>(rhsLower));
  nc.put(system_.rhsUpper, std::span<const double>(rhsUpper));
  nc.put(system_.trueSolution, std::span<const double>(trueSolution));
  nc.put(system_.hullLower, std::span<const double>(hullLower));
  nc.put(system_.hullUpper, std::span<const double>(hullUpper));
  nc.put(system_.condition, std::span<const double>(condition));
  nc.put(system_.conditionLower, std::span<const double>(conditionLower));
  nc.put(system_.conditionUpper, std::span<const double>(conditionUpper));
  nc.put(system_.level, levels);
  nc.put(system_.words, words);
  for (std::size_t r = 0; r < kReasons.size(); ++r) {
    nc.put(system_.reasons[r], reasons[r]);
  }
  for (std::size_t s = 0; s < systems; ++s) {
    const SystemReference* reference = store_.reference(static_cast<int>(s));
    if (reference == nullptr || reference->n != shape_.unknowns) continue;
    if (reference->inverse && system_.inverseLower >= 0) {
      putInverse(nc, static_cast<int>(s), *reference);
    }
    putShares(nc, static_cast<int>(s), *reference);
  }
}

// Row by row of A^-1, a chunk's rows at a time.
void NcSystems::putInverse(NetcdfDataset& nc, int system,
                           const SystemReference& reference) {
  const std::size_t n = shape_.unknowns;
  std::vector<double> lower, upper;
  for (std::size_t first = 0; first < n; first += rowsPerChunk_) {
    const std::size_t rows = std::min(rowsPerChunk_, n - first);
    lower.clear();
    upper.clear();
    for (std::size_t i = first; i < first + rows; ++i) {
      for (const ValueBounds& bounds :
           reference.inverse->rowBounds(static_cast<unsigned>(i))) {
        lower.push_back(bounds.lower);
        upper.push_back(bounds.upper);
      }
    }
    const std::size_t start[] = {static_cast<std::size_t>(system), first, 0};
    const std::size_t count[] = {1, rows, n};
    nc.put(system_.inverseLower, start, count, lower);
    nc.put(system_.inverseUpper, start, count, upper);
  }
}

// The shares of a chunk's unknowns of every family at a time; an unknown
// without certified shares (no spread, or not certified) keeps the fill.
void NcSystems::putShares(NetcdfDataset& nc, int system,
                          const SystemReference& reference) {
  const std::size_t n = shape_.unknowns;
  const std::size_t families = shape_.families.size();
  std::vector<double> shares, cellShares;
  const auto take = [&](std::vector<double>& block,
                        const std::vector<UnknownShares>* of, std::size_t f,
                        std::size_t first, std::size_t rows) {
    if (of == nullptr) return;
    for (std::size_t i = first; i < first + rows && i < of->size(); ++i) {
      const UnknownShares& row = (*of)[i];
      if (row.state != ShareState::kCertified || row.shares.size() != n) continue;
      std::copy(row.shares.begin(), row.shares.end(),
                block.begin() + static_cast<std::ptrdiff_t>((f * rows + (i - first)) * n));
    }
  };
  for (std::size_t first = 0; first < n; first += shareRows_) {
    const std::size_t rows = std::min(shareRows_, n - first);
    shares.assign(families * rows * n, kNetcdfFillDouble);
    cellShares.assign(families * rows * n, kNetcdfFillDouble);
    bool anyCells = false;
    for (std::size_t f = 0; f < families; ++f) {
      const FamilyReference* family = reference.family(shape_.families[f]);
      if (family == nullptr) continue;
      take(shares, &family->shares, f, first, rows);
      if (family->cellShares) {
        anyCells = true;
        take(cellShares, &*family->cellShares, f, first, rows);
      }
    }
    const std::size_t start[] = {static_cast<std::size_t>(system), 0, first, 0};
    const std::size_t count[] = {1, families, rows, n};
    nc.put(system_.share, start, count, shares);
    if (anyCells && system_.cellShare >= 0) {
      nc.put(system_.cellShare, start, count, cellShares);
    }
  }
}


}  // namespace linprob
