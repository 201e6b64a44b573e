#include "output/interval_matrix_report.h"

#include <cstdint>
#include <string>

#include "output/csv_row.h"

namespace linprob {
namespace {

using json_parts::Json;

constexpr const char* kNote =
    "naive elimination: Gaussian elimination of [A | b] in outward-rounded "
    "interval arithmetic with the pivots the pivoting mode chooses for the "
    "midpoint matrix; Hansen-Bliek-Rohn (Ning and Kearfott's form), "
    "Krawczyk and Gauss-Seidel: verified enclosures after preconditioning "
    "with an approximate inverse of the midpoint matrix; exact hull: "
    "Rohn's sign-accord algorithm in exact rationals, rounded outward once; "
    "overestimation: each unknown's width over the reference's";

Json optionalNumber(const std::optional<double>& x) {
  return x ? Json(*x) : Json(nullptr);
}

Json methodJson(const MethodEnclosure& m, bool withBounds) {
  Json entry{{"method", enclosureMethodName(m.method)},
             {"mode", m.mode ? Json(*m.mode) : Json(nullptr)}};
  if (withBounds) {
    Json bounds = nullptr;
    if (m.enclosure.bounds) {
      bounds = Json::array();
      for (const ValueBounds& b : *m.enclosure.bounds) {
        bounds.push_back(Json::array({b.lower, b.upper}));
      }
    }
    entry["bounds"] = std::move(bounds);
    Json ratios = Json::array();
    for (const std::optional<double>& r : m.overestimation) {
      ratios.push_back(optionalNumber(r));
    }
    entry["overestimation"] = m.enclosure.bounds ? std::move(ratios)
                                                 : Json(nullptr);
  }
  entry["worst_overestimation"] = optionalNumber(m.worst);
  entry["reason"] =
      m.enclosure.bounds ? Json(nullptr) : Json(m.enclosure.reason);
  return entry;
}

}  // namespace

json_parts::Json intervalMatrixJson(const SystemReference& reference,
                                    bool withBounds) {
  using json_parts::Json;
  const std::optional<IntervalMatrixResult>& result = reference.intervalResults;
  if (!result) {
    return Json{{"regular", nullptr},
                {"reason", reference.intervalResultsReason}};
  }
  Json entry{{"regular", result->regular},
             {"reason", result->regular ? Json(nullptr)
                                        : Json(result->regularityReason)}};
  if (!result->regular) return entry;
  entry["reference"] =
      result->reference.empty() ? Json(nullptr) : Json(result->reference);
  entry["note"] = kNote;
  Json methods = Json::array();
  for (const MethodEnclosure& m : result->methods) {
    methods.push_back(methodJson(m, withBounds));
  }
  entry["enclosures"] = std::move(methods);
  return entry;
}

void writeIntervalMatrixCsv(const ResultStore& store, std::ostream& out) {
  writeCsvHeader(kIntervalMatrixColumns, out);
  for (int system = 0; system < store.systemCount(); ++system) {
    const SystemReference* reference = store.reference(system);
    if (reference == nullptr || !reference->intervalResults) continue;
    for (const MethodEnclosure& m : reference->intervalResults->methods) {
      if (!m.enclosure.bounds) continue;
      const std::vector<ValueBounds>& bounds = *m.enclosure.bounds;
      for (std::size_t i = 0; i < bounds.size(); ++i) {
        CsvRow row(kIntervalMatrixColumns.size());
        row.count(static_cast<std::uint64_t>(system))
            .text(enclosureMethodName(m.method));
        if (m.mode) {
          row.count(static_cast<std::uint64_t>(*m.mode));
        } else {
          row.empty();
        }
        row.count(i).number(bounds[i].lower).number(bounds[i].upper);
        row.number(i < m.overestimation.size() ? m.overestimation[i]
                                               : std::nullopt);
        row.writeTo(out);
      }
    }
  }
}

double intervalMatrixCsvBytes(const RunShape& shape) {
  if (shape.intervalMatrixSystems == 0) return 0.0;
  // Eight enclosures of each unknown: four naive, three verified, the hull.
  const double row = indexChars(shape.systems) + 18.0 + 1.0 +
                     indexChars(shape.unknowns) + 3.0 * kRoundTripChars +
                     static_cast<double>(kIntervalMatrixColumns.size());
  return 64.0 + static_cast<double>(shape.intervalMatrixSystems) * 8.0 *
                    static_cast<double>(shape.unknowns) * row;
}

}  // namespace linprob
