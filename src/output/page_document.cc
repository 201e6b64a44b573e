#include "output/page_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <optional>

#include "linear/certified_inverse.h"
#include "linear/pivot_mode.h"
#include "output/results_json.h"

namespace linprob {
namespace {

using Json = nlohmann::ordered_json;

// What a table costs the page, roughly: its field names and about 40
// numbers besides its bands, six numbers per band (border, VALID, INVALID,
// exact linear, the truth and its error bound) and seven per point of its
// convergence, each about 20 characters.
constexpr std::size_t kTableNameBytes = 600;
constexpr std::size_t kNumberBytes = 20;

std::size_t fullTableBytes(const PositionResult* position,
                           std::size_t mostBands) {
  if (position == nullptr || !position->solved()) return kTableNameBytes;
  std::size_t bands = position->valid.masses.size();
  if (mostBands > 0 && bands > mostBands) {
    const std::size_t group = (bands + mostBands - 1) / mostBands;
    bands = (bands + group - 1) / group;
  }
  const std::size_t points =
      position->convergence ? position->convergence->size() : 0;
  return kTableNameBytes + (6 * bands + 7 * points + 40) * kNumberBytes;
}

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

PageForm choosePageForm(const ResultStore& store) {
  PageForm form;
  const int systems = store.systemCount();
  const int unknowns = store.unknownCount();
  const std::size_t tables = static_cast<std::size_t>(systems) *
                             kPivotModeCount * kFamilyCount *
                             static_cast<std::size_t>(unknowns);
  form.mostBands = pageBandsPerChart(tables);
  if (systems <= 0 || unknowns <= 0) return form;

  // cost[system][unknown]: the unknown's full tables in every mode and family.
  std::vector<std::vector<std::size_t>> cost(static_cast<std::size_t>(systems));
  std::size_t total = 0;
  for (int s = 0; s < systems; ++s) {
    auto& row = cost[static_cast<std::size_t>(s)];
    row.assign(static_cast<std::size_t>(unknowns), 0);
    for (int u = 0; u < unknowns; ++u) {
      for (const PivotMode& mode : kPivotModes) {
        if (!store.elimination(s, mode.index).stored) continue;
        for (const FamilyInfo& family : kFamilies) {
          row[static_cast<std::size_t>(u)] += fullTableBytes(
              store.phase(u, s, mode.index, family.family), form.mostBands);
        }
      }
      total += row[static_cast<std::size_t>(u)];
    }
  }
  if (total <= kPageTableBytes) return form;

  const std::size_t share = kPageTableBytes / static_cast<std::size_t>(systems);
  form.tables.assign(static_cast<std::size_t>(systems),
                     std::vector<TableForm>(static_cast<std::size_t>(unknowns),
                                            TableForm::kSummary));
  for (int s = 0; s < systems; ++s) {
    std::vector<double> worst(static_cast<std::size_t>(unknowns));
    for (int u = 0; u < unknowns; ++u) {
      worst[static_cast<std::size_t>(u)] = worstVariation(store, s, u);
    }
    std::vector<int> order(static_cast<std::size_t>(unknowns));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return worst[static_cast<std::size_t>(a)] > worst[static_cast<std::size_t>(b)];
    });
    std::size_t used = 0;
    for (const int u : order) {
      const std::size_t next = used + cost[static_cast<std::size_t>(s)][static_cast<std::size_t>(u)];
      // The worst unknown always keeps its charts.
      if (next > share && used > 0) break;
      form.tables[static_cast<std::size_t>(s)][static_cast<std::size_t>(u)] = TableForm::kFull;
      used = next;
    }
  }
  return form;
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
