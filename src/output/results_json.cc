#include "output/results_json.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/counted_bytes.h"
#include "base/program_version.h"
#include "linear/system_files.h"
#include "output/json_text.h"
#include "output/interval_matrix_report.h"
#include "output/random_matrix_report.h"
#include "output/measure_json.h"
#include "output/measure_rows.h"
#include "output/number_text.h"
#include "output/page_document.h"
#include "output/added_measure_rows.h"
#include "output/report_scale.h"
#include "output/system_list.h"
#include "results/condition_verdict.h"

namespace linprob {
namespace {

using namespace json_parts;

// The page's copy of a table of K > mostBands bands (results_json.h).
void mergeBands(Json& entry, const PositionResult& position,
                std::size_t mostBands) {
  const std::size_t count = position.valid.masses.size();
  if (mostBands == 0 || count <= mostBands) return;
  const std::size_t group = (count + mostBands - 1) / mostBands;
  for (const PhaseMeasure& measure : phaseMeasures()) {
    if (measure.merge == nullptr) continue;
    measure.merge(entry[std::string(measure.field)], position, group);
  }
  entry["band_count"] = count;
  entry["merged_bands"] = group;
}

// An unknown's entry in a family: each measure's member, the added ones'
// last, null where the phase solved nothing.
Json phaseUnknownJson(int unknown, const PositionResult* position,
                      std::size_t mostBands,
                      std::span<const AddedMeasure> added) {
  Json entry{{"unknown", unknown}};
  const bool solved = position != nullptr && position->solved();
  for (const PhaseMeasure& measure : phaseMeasures()) {
    entry[std::string(measure.field)] =
        solved ? measure.json(*position) : Json(nullptr);
  }
  for (std::size_t r = 0; r < added.size(); ++r) {
    entry[std::string(added[r].field)] = addedJson(position, added, r);
  }
  if (solved) mergeBands(entry, *position, mostBands);
  return entry;
}

Json familyJson(const ResultStore& store, int system, const PivotMode& mode,
                const FamilyInfo& family, const PageForm& form) {
  Json unknowns = Json::array();
  for (int v = 0; v < store.unknownCount(); ++v) {
    const PositionResult* position =
        store.phase(v, system, mode.index, family.family);
    unknowns.push_back(form.table(system, v) == TableForm::kFull
                           ? phaseUnknownJson(v, position, form.mostBands,
                                              store.addedRows())
                           : tableSummaryJson(v, position));
  }
  const StoredPhase& run = store.phaseRun(system, mode.index, family.family);
  Json json{{"family", family.name},
            {"jobs", run.solvedJobs},
            {"seed", run.seed ? Json(*run.seed) : Json(nullptr)},
            {"digits", digitsJson(run.digits)}};
  // Only in a phase whose matrix was random.
  if (run.randomMatrix) json["random_matrix"] = randomMatrixJson(*run.randomMatrix);
  json["unknowns"] = std::move(unknowns);
  return json;
}

// A mode's members but its families, which writeSystem writes one at a
// time after them.
Json modeHead(const ResultStore& store, int system, const PivotMode& mode) {
  const StoredElimination& elimination = store.elimination(system, mode.index);
  const SystemReference* reference = store.reference(system);
  const ExactReference* exact =
      reference != nullptr && reference->exact ? &*reference->exact : nullptr;
  Json unknowns = Json::array();
  for (int v = 0; v < store.unknownCount(); ++v) {
    const SolutionMeasures measures = store.measures(v, system, mode.index);
    const SolutionView view{store.solution(v, system, mode.index), measures,
                            exact, static_cast<std::size_t>(v)};
    Json entry{{"unknown", v}};
    for (const SolutionMeasure& measure : solutionMeasures()) {
      if (measure.json == nullptr) continue;
      entry[std::string(measure.field)] = measure.json(view);
    }
    unknowns.push_back(std::move(entry));
  }
  const std::string folder = systemFolder(system);
  Json columnOrder = Json::array();
  for (unsigned column : elimination.columnOrder) columnOrder.push_back(column);
  return Json{{"mode", mode.label},
              {"summary_file", folder + mode.summaryFile},
              {"pivot_growth", elimination.pivotGrowth},
              {"column_order", std::move(columnOrder)},
              {"unknowns", std::move(unknowns)}};
}

Json conditionVerdictJson(const std::optional<ConditionVerdict>& verdict) {
  if (!verdict) return nullptr;
  return Json{{"condition_number", verdict->conditionNumber},
              {"source", conditionSourceName(verdict->source)},
              {"level", conditionLevelName(verdict->level)},
              {"correct_digits", verdict->correctDigits},
              {"text", verdict->text}};
}

Json reasonJson(const SystemReference* reference, const std::string& reason) {
  if (reference == nullptr || reason.empty()) return nullptr;
  return reason;
}

// What a document holds of a system: results.json in full (up to
// kFullArraysMost unknowns), results.json in short (above: no full table,
// no matrix, no shares; report_scale.h), or the page's copy.
enum class DocumentForm { kFull, kShort, kPage };

DocumentForm documentForm(const ResultStore& store, const PageForm* page) {
  if (page != nullptr) return DocumentForm::kPage;
  return holdsFullArrays(store.unknownCount()) ? DocumentForm::kFull
                                               : DocumentForm::kShort;
}

// Where the shares are when a document leaves them out.
std::string sharesElsewhere(const ResultStore& store) {
  if (holdsFullArrays(store.unknownCount())) {
    return "Report/sensitivity.csv and results.json hold them";
  }
  return "Report/results.nc holds them, Report/sensitivity.csv the " +
         std::to_string(kSharesKept) + " largest of each unknown";
}

// A system's members but its modes; the page's copy and the short
// results.json have maps of the matrix and its inverse in place of a large
// matrix.
Json systemHead(const ResultStore& store, int system, DocumentForm form) {
  Json entry{{"index", system},
             {"folder", systemFolder(system)}};
  const SystemReference* reference = store.reference(system);
  Json matrix = nullptr;
  Json rhs = nullptr;
  Json intervalRhs = nullptr;
  Json trueSolution = nullptr;
  Json hull = nullptr;
  Json condition = nullptr;
  Json enclosure = nullptr;
  // The page draws maps of a large matrix and its inverse; the short
  // results.json leaves both to the files that hold them.
  const bool large = form != DocumentForm::kFull && reference != nullptr &&
                     reference->n > kMatrixTableMost;
  const bool mapped = large && form == DocumentForm::kPage;
  if (reference != nullptr) {
    const std::size_t n = reference->n;
    matrix = Json::array();
    for (std::size_t r = 0;
         r < n && !large && reference->matrix.size() >= n * n; ++r) {
      Json row = Json::array();
      for (std::size_t c = 0; c < n; ++c) {
        row.push_back(reference->matrix[r * n + c]);
      }
      matrix.push_back(std::move(row));
    }
    rhs = numbers(reference->rhs);
    intervalRhs = Json::array();
    for (const ValueBounds& bounds : reference->intervalRhs) {
      intervalRhs.push_back(pairOf(bounds.lower, bounds.upper));
    }
    if (reference->exact) {
      const ExactReference& exact = *reference->exact;
      trueSolution = Json::array();
      for (const std::optional<double>& value : exact.trueSolution) {
        trueSolution.push_back(orNull(value));
      }
      hull = Json::array();
      for (const std::optional<ValueBounds>& bounds : exact.hull) {
        hull.push_back(bounds ? pairOf(bounds->lower, bounds->upper)
                              : Json(nullptr));
      }
      condition = exact.conditionNumber;
      enclosure = pairOf(exact.conditionEnclosure.lower,
                         exact.conditionEnclosure.upper);
    }
  }
  const ReferenceReasons noReasons;
  const ReferenceReasons& reasons =
      reference != nullptr ? reference->reasons : noReasons;
  if (mapped) {
    entry["matrix"] = nullptr;
    entry["matrix_map"] = matrixMapJson(*reference);
    entry["inverse_map"] = inverseMapJson(*reference);
  } else if (large) {
    entry["matrix"] = nullptr;
    entry["matrix_reason"] = "not written for more than " +
                             std::to_string(kFullArraysMost) + " unknowns; " +
                             systemFolder(system) + kMatrixFile +
                             " holds it, Report/results.nc its inverse's enclosure";
  } else {
    entry["matrix"] = std::move(matrix);
  }
  entry["rhs"] = std::move(rhs);
  entry["interval_rhs"] = std::move(intervalRhs);
  entry["true_solution"] = std::move(trueSolution);
  entry["true_solution_reason"] = reasonJson(reference, reasons.trueSolution);
  entry["exact_hull"] = std::move(hull);
  entry["exact_hull_reason"] = reasonJson(reference, reasons.hull);
  entry["condition_number"] = std::move(condition);
  entry["condition_number_enclosure"] = std::move(enclosure);
  entry["condition_number_reason"] =
      reasonJson(reference, reasons.conditionNumber);
  entry["condition_verdict"] =
      reference != nullptr ? conditionVerdictJson(reference->condition)
                           : Json(nullptr);
  entry["exact_moments_reason"] = reasonJson(reference, reasons.moments);
  if (reference != nullptr && reference->correlated()) {
    // Only where Correlation.txt is, so that other systems' entries stay
    // as they were.
    entry["correlation_note"] =
        "the entries are correlated (Correlation.txt) through a Gaussian "
        "copula, each keeping its own law: VALID follows the correlation; "
        "INVALID, the propagation of each entry's variance alone, ignores "
        "it by construction";
    if (const char* note = sensitivityNote(reference)) {
      entry["sensitivity_note"] = note;
    }
  }
  if (reference != nullptr && !reference->intervalMatrix.empty()) {
    // Only where IntMatice.txt is.
    entry["interval_matrix"] = intervalMatrixJson(*reference, !large);
  }
  if (large) {
    // n^2 shares per family: too many for the page, which points to the
    // files that hold them.
    entry["sensitivity"] = nullptr;
    entry["sensitivity_reason"] =
        (form == DocumentForm::kPage
             ? "not drawn for more than " + std::to_string(kMatrixTableMost)
             : "not written for more than " + std::to_string(kFullArraysMost)) +
        " unknowns; " + sharesElsewhere(store);
  } else if (!sensitivityWrittenApart(reference)) {
    addSensitivityReason(entry, reference);
  }
  if (form == DocumentForm::kShort) {
    Json worst = Json::array();
    for (int u : worstUnknowns(store, system, kFullArraysMost)) worst.push_back(u);
    entry["worst_unknowns"] = std::move(worst);
    entry["tables_reason"] =
        "each table in short for more than " + std::to_string(kFullArraysMost) +
        " unknowns; Report/results.nc and Report/bands.csv hold every band";
  }
  return entry;
}

// One system, each family's part built and written on its own, so that only
// one family's tables are ever held as JSON values ("modes" and "families"
// are the last members of their objects).
void writeSystem(const ResultStore& store, int system, const PageForm* page,
                 std::ostream& out) {
  static const PageForm kWhole;
  const DocumentForm document = documentForm(store, page);
  PageForm inShort;
  if (document == DocumentForm::kShort) {
    inShort.tables.resize(static_cast<std::size_t>(store.systemCount()));
    inShort.tables[static_cast<std::size_t>(system)].assign(
        static_cast<std::size_t>(store.unknownCount()), TableForm::kSummary);
  }
  const PageForm& form = page != nullptr                      ? *page
                         : document == DocumentForm::kShort ? inShort
                                                             : kWhole;
  out << '{';
  const Json head = systemHead(store, system, document);
  writeFields(head, out);
  // A head without "sensitivity" leaves the shares, its last members and
  // the largest part of a large system's head, to be written one unknown
  // at a time.
  if (!head.contains("sensitivity")) {
    out << ",\"sensitivity\":";
    writeSensitivity(*store.reference(system), out);
    out << ",\"sensitivity_reason\":null";
  }
  out << ",\"modes\":[";
  bool firstMode = true;
  for (const PivotMode& mode : kPivotModes) {
    if (!store.elimination(system, mode.index).stored) continue;
    if (!out) return;
    if (!firstMode) out << ',';
    firstMode = false;
    out << '{';
    writeFields(modeHead(store, system, mode), out);
    out << ",\"families\":[";
    bool firstFamily = true;
    for (std::size_t f = 0; f < kFamilies.size() && out; ++f) {
      const FamilyInfo& family = kFamilies[f];
      if (!store.phaseRun(system, mode.index, family.family).stored) continue;
      if (!firstFamily) out << ',';
      firstFamily = false;
      writeJson(familyJson(store, system, mode, family, form), out);
    }
    out << "]}";
  }
  out << "]}";
}

Json runJson(const RunInfo& run) {
  Json settings = Json::object();
  for (const SettingValue& setting : run.settings) {
    settings[setting.name] =
        std::visit([](auto value) { return Json(value); }, setting.value);
  }
  return Json{{"kind", run.kind},
              {"points", run.points.empty() ? Json(nullptr) : Json(run.points)},
              {"settings", std::move(settings)},
              {"jobs_per_phase", run.jobsPerPhase},
              {"wall_time_seconds", run.wallTimeSeconds},
              {"export_folder", run.exportFolder},
              {"report_files", run.reportFiles},
              {"seed", run.seed ? Json(*run.seed) : Json(nullptr)}};
}

}  // namespace

std::size_t pageBandsPerChart(std::size_t tables) {
  const std::size_t perTable = tables == 0 ? kPageBands : kPageBands / tables;
  return std::clamp(perTable, kFewestPageBands, kPageBandsPerChart);
}

void writeResultsJson(const RunInfo& run, const ResultStore& store,
                      std::ostream& out, const PageForm* page) {
  const std::string commit = programCommit();
  const Json program{{"name", kProgramName},
                     {"version", programVersion()},
                     {"commit", commit.empty() ? Json(nullptr) : Json(commit)}};
  out << "{\"program\":";
  writeJson(program, out);
  out << ",\"run\":";
  writeJson(runJson(run), out);
  // The added measures' rows, for the page to list them by their words;
  // only where there are any.
  if (!store.addedRows().empty()) {
    out << ",\"added_measures\":";
    writeJson(addedMeasuresJson(store.addedRows()), out);
  }
  if (page != nullptr && page->kind == PageKind::kOwnPage) {
    out << ",\"own_page\":";
    writeJson(Json{{"system_count", store.systemCount()},
                   {"report_folder", "../"}},
              out);
  }
  out << ",\"systems\":[";
  if (page != nullptr && !page->systems.empty()) {
    for (std::size_t k = 0; k < page->systems.size() && out; ++k) {
      if (k > 0) out << ',';
      writeSystem(store, page->systems[k], page, out);
    }
  } else {
    for (int system = 0; system < store.systemCount() && out; ++system) {
      if (system > 0) out << ',';
      writeSystem(store, system, page, out);
    }
  }
  out << ']';
  if (page != nullptr && page->listsSystems()) {
    out << ",\"system_list\":";
    writeSystemList(store, out);
  }
  out << "}\n";
}

std::size_t pageSystemBytes(const ResultStore& store, int system) {
  PageForm summaries;
  summaries.tables.resize(static_cast<std::size_t>(store.systemCount()));
  summaries.tables[static_cast<std::size_t>(system)].assign(
      static_cast<std::size_t>(store.unknownCount()), TableForm::kSummary);
  return countedBytes([&](std::ostream& out) {
    writeSystem(store, system, &summaries, out);
  });
}

}  // namespace linprob
