#include "output/page_form.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <optional>
#include <vector>

#include "linear/pivot_mode.h"
#include "output/results_json.h"
#include "output/system_list.h"

namespace linprob {
namespace {

// The families the run analysed, at least one (for the page's budget).
std::size_t familiesOf(const ResultStore& store) {
  return std::max<std::size_t>(store.analysedFamilies().size(), 1);
}

// What a table costs the page, roughly: its field names and about 40
// numbers besides its bands, six numbers per band (border, VALID, INVALID,
// exact linear, the truth and its error bound) and eight per point of its
// convergence, each about 20 characters; in sampling a standard error per
// band, ten more numbers and the words of a missing end's reason.
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
  const std::optional<PositionErrors>& errors = position->errors;
  const std::size_t errorNumbers = errors ? bands + 10 : 0;
  const std::size_t reasonBytes = errors ? errors->coverageReason.size() : 0;
  return kTableNameBytes + reasonBytes +
         (6 * bands + 8 * points + 40 + errorNumbers) * kNumberBytes;
}


// What each unknown's full tables in every mode and family cost the page.
std::vector<std::size_t> unknownCosts(const ResultStore& store, int system,
                                      std::size_t mostBands) {
  std::vector<std::size_t> cost(static_cast<std::size_t>(store.unknownCount()), 0);
  for (int u = 0; u < store.unknownCount(); ++u) {
    for (const PivotMode& mode : kPivotModes) {
      if (!store.elimination(system, mode.index).stored) continue;
      for (const FamilyInfo& family : kFamilies) {
        cost[static_cast<std::size_t>(u)] += fullTableBytes(
            store.phase(u, system, mode.index, family.family), mostBands);
      }
    }
  }
  return cost;
}

// The tables of a system whose full tables exceed `budget`: its worst
// unknowns' in full, as many as `budget` holds (the worst always), the
// others' summaries.
std::vector<TableForm> keptTables(const ResultStore& store, int system,
                                  const std::vector<std::size_t>& cost,
                                  std::size_t budget) {
  const int unknowns = store.unknownCount();
  std::vector<TableForm> kept(static_cast<std::size_t>(unknowns), TableForm::kSummary);
  std::size_t used = 0;
  for (const int u : worstUnknowns(store, system, static_cast<std::size_t>(unknowns))) {
    const std::size_t next = used + cost[static_cast<std::size_t>(u)];
    // The worst unknown always keeps its charts.
    if (next > budget && used > 0) break;
    kept[static_cast<std::size_t>(u)] = TableForm::kFull;
    used = next;
  }
  return kept;
}

}  // namespace

PageForm choosePageForm(const ResultStore& store) {
  PageForm form;
  const int systems = store.systemCount();
  const int unknowns = store.unknownCount();
  // The tables the page shows at most, for merging their bands.
  const std::size_t tables = static_cast<std::size_t>(
                                 std::min(systems, kMostPageSystems)) *
                             kPivotModeCount * familiesOf(store) *
                             static_cast<std::size_t>(std::max(unknowns, 0));
  form.mostBands = pageBandsPerChart(tables);
  if (systems <= 0 || unknowns <= 0) return form;

  // The worst systems first, then the lower index.
  std::vector<double> worst(static_cast<std::size_t>(systems));
  for (int s = 0; s < systems; ++s) {
    worst[static_cast<std::size_t>(s)] =
        summarizeSystem(store, s).worstInvalid.value_or(-1.0);
  }
  std::vector<int> order(static_cast<std::size_t>(systems));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return worst[static_cast<std::size_t>(a)] > worst[static_cast<std::size_t>(b)];
  });

  std::vector<int> drawn;
  std::vector<std::vector<std::size_t>> costs;
  std::size_t tableBytes = 0;
  std::size_t systemBytes = 0;
  for (const int s : order) {
    if (static_cast<int>(drawn.size()) == kMostPageSystems) break;
    std::vector<std::size_t> cost = unknownCosts(store, s, form.mostBands);
    const std::size_t full = std::accumulate(cost.begin(), cost.end(), std::size_t{0});
    // A single system is drawn whatever its size, so it is not measured.
    const std::size_t own = systems > 1 ? pageSystemBytes(store, s) : 0;
    if (!drawn.empty() && (tableBytes + full > kPageTableBytes ||
                           systemBytes + own > kPageSystemBytes)) {
      break;
    }
    drawn.push_back(s);
    costs.push_back(std::move(cost));
    tableBytes += full;
    systemBytes += own;
  }
  if (static_cast<int>(drawn.size()) < systems) {
    form.systems = drawn;
    std::sort(form.systems.begin(), form.systems.end());
  }
  if (tableBytes <= kPageTableBytes) return form;

  const std::size_t budget = kPageTableBytes / drawn.size();
  form.tables.resize(static_cast<std::size_t>(systems));
  for (std::size_t k = 0; k < drawn.size(); ++k) {
    form.tables[static_cast<std::size_t>(drawn[k])] =
        keptTables(store, drawn[k], costs[k], budget);
  }
  return form;
}

PageForm chooseOwnPageForm(const ResultStore& store, int system) {
  PageForm form;
  form.kind = PageKind::kOwnPage;
  form.systems = {system};
  const int unknowns = store.unknownCount();
  form.mostBands = pageBandsPerChart(kPivotModeCount * familiesOf(store) *
                                     static_cast<std::size_t>(std::max(unknowns, 0)));
  if (unknowns <= 0) return form;
  const std::vector<std::size_t> cost = unknownCosts(store, system, form.mostBands);
  if (std::accumulate(cost.begin(), cost.end(), std::size_t{0}) <= kPageTableBytes) {
    return form;
  }
  form.tables.resize(static_cast<std::size_t>(store.systemCount()));
  form.tables[static_cast<std::size_t>(system)] =
      keptTables(store, system, cost, kPageTableBytes);
  return form;
}

}  // namespace linprob
