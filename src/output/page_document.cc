#include "output/page_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <optional>

#include "linear/certified_inverse.h"
#include "linear/pivot_mode.h"

namespace linprob {
namespace {

using Json = nlohmann::ordered_json;

std::optional<double> totalVariation(const std::optional<ApproximationCheck>& check) {
  if (!check || !check->discrepancy) return std::nullopt;
  return check->discrepancy->totalVariation;
}

// The worst total variation of INVALID over the system's modes and
// families; -1 when there is none.
double worstVariation(const ResultStore& store, int system, int unknown) {
  double worst = -1.0;
  for (const PivotMode& mode : kPivotModes) {
    for (const FamilyInfo& family : kFamilies) {
      const PositionResult* position =
          store.phase(unknown, system, mode.index, family.family);
      if (position == nullptr || !position->solved()) continue;
      const std::optional<double> tv = totalVariation(position->measures.invalid);
      if (tv && *tv > worst) worst = *tv;
    }
  }
  return worst;
}

// x to 3 significant digits, for a map's cell.
double threeDigits(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", x);
  return std::strtod(text, nullptr);
}

// The map of an n x n matrix whose row r of magnitudes `row(r)` gives.
template <class Row>
Json mapJson(unsigned n, const Row& row) {
  const unsigned block = (n + kMapCells - 1) / kMapCells;
  Json rows = Json::array();
  for (unsigned r0 = 0; r0 < n; r0 += block) {
    std::vector<double> largest((n + block - 1) / block, 0.0);
    for (unsigned r = r0; r < std::min(n, r0 + block); ++r) {
      const std::vector<double> sizes = row(r);
      for (unsigned c = 0; c < n; ++c) {
        largest[c / block] = std::max(largest[c / block], sizes[c]);
      }
    }
    Json cells = Json::array();
    for (double size : largest) cells.push_back(threeDigits(size));
    rows.push_back(std::move(cells));
  }
  return Json{{"size", n}, {"block", block}, {"max_abs", std::move(rows)}};
}

}  // namespace

std::vector<int> worstUnknowns(const ResultStore& store, int system,
                               std::size_t most) {
  const int unknowns = store.unknownCount();
  std::vector<double> worst(static_cast<std::size_t>(unknowns));
  for (int u = 0; u < unknowns; ++u) {
    worst[static_cast<std::size_t>(u)] = worstVariation(store, system, u);
  }
  std::vector<int> order(static_cast<std::size_t>(unknowns));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return worst[static_cast<std::size_t>(a)] > worst[static_cast<std::size_t>(b)];
  });
  if (order.size() > most) order.resize(most);
  return order;
}

Json matrixMapJson(const SystemReference& reference) {
  const unsigned n = reference.n;
  if (reference.matrix.size() < static_cast<std::size_t>(n) * n) return nullptr;
  return mapJson(n, [&](unsigned r) {
    std::vector<double> sizes(n);
    for (unsigned c = 0; c < n; ++c) {
      sizes[c] = std::fabs(reference.matrix[static_cast<std::size_t>(r) * n + c]);
    }
    return sizes;
  });
}

Json inverseMapJson(const SystemReference& reference) {
  if (!reference.inverse) return nullptr;
  const CertifiedInverse& inverse = *reference.inverse;
  return mapJson(inverse.size(),
                 [&](unsigned r) { return inverse.rowMagnitudes(r); });
}

Json tableSummaryJson(int unknown, const PositionResult* position) {
  Json entry{{"unknown", unknown}};
  if (position == nullptr || !position->solved()) {
    entry["total_variation"] = nullptr;
    entry["validated"] = nullptr;
    return entry;
  }
  const PositionMeasures& measures = position->measures;
  const auto tv = [](const std::optional<ApproximationCheck>& check) {
    const std::optional<double> value = totalVariation(check);
    return value ? Json(*value) : Json(nullptr);
  };
  const auto validated = [](const std::optional<ApproximationCheck>& check) {
    if (!check || !check->validation || !check->validation->validated) {
      return Json(nullptr);
    }
    return Json(*check->validation->validated);
  };
  entry["total_variation"] = Json::array({tv(measures.invalid), tv(measures.exactLinear)});
  entry["validated"] =
      Json::array({validated(measures.invalid), validated(measures.exactLinear)});
  return entry;
}

}  // namespace linprob
