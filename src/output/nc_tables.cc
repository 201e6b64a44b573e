#include "output/nc_tables.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

#include "output/added_measure_rows.h"
#include "output/measure_rows.h"

namespace linprob {
namespace {

constexpr std::size_t kModes = kPivotModes.size();
// About this many values in a chunk of a phase's bands or estimates.
constexpr std::size_t kPhaseChunkValues = 65536;

constexpr std::array<std::string_view, kConvergenceSeries> kConvergenceNames = {
    "convergence_samples",         "convergence_coverage_factor",
    "convergence_mean",            "convergence_mean_se",
    "convergence_symmetric_lower", "convergence_symmetric_lower_se",
    "convergence_symmetric_upper", "convergence_symmetric_upper_se"};

double cellNumber(const CsvCell& cell) {
  if (std::holds_alternative<std::monostate>(cell)) return kNetcdfFillDouble;
  if (const auto* x = std::get_if<double>(&cell)) return *x;
  if (const auto* n = std::get_if<std::uint64_t>(&cell)) {
    return static_cast<double>(*n);
  }
  throw std::logic_error("a band cell that is not a number");
}

// The series of one running estimate, in kConvergenceNames' order.
double convergenceValue(const ConvergencePoint& point, std::size_t series) {
  switch (series) {
    case 0: return static_cast<double>(point.samples);
    case 1: return point.coverageFactor;
    case 2: return point.mean.value;
    case 3: return point.mean.error;
    case 4: return point.symmetricLower.value;
    case 5: return point.symmetricLower.error;
    case 6: return point.symmetricUpper.value;
    default: return point.symmetricUpper.error;
  }
}

}  // namespace

TableShape tableShape(const ResultStore& store) {
  TableShape shape;
  shape.systems = static_cast<std::size_t>(std::max(store.systemCount(), 0));
  shape.unknowns = static_cast<std::size_t>(std::max(store.unknownCount(), 0));
  shape.families = store.analysedFamilies();
  for (int s = 0; s < store.systemCount(); ++s) {
    for (const PivotMode& mode : kPivotModes) {
      for (const FamilyInfo& family : kFamilies) {
        for (int u = 0; u < store.unknownCount(); ++u) {
          const PositionResult* p = store.phase(u, s, mode.index, family.family);
          if (p == nullptr || !p->solved()) continue;
          shape.bands = std::max(shape.bands, p->valid.borders.size());
          if (p->convergence) {
            shape.batches = std::max(shape.batches, p->convergence->size());
          }
        }
      }
    }
  }
  for (int s = 0; s < store.systemCount(); ++s) {
    for (const PivotMode& mode : kPivotModes) {
      for (const FamilyInfo& family : kFamilies) {
        const StoredPhase& run = store.phaseRun(s, mode.index, family.family);
        if (run.digits) {
          shape.rounds = std::max(shape.rounds, run.digits->roundSamples.size());
        }
      }
    }
  }
  shape.bands = std::max<std::size_t>(shape.bands, 1);
  return shape;
}

NcTables::NcTables(const ResultStore& store, const TableShape& shape)
    : store_(store),
      shape_(shape),
      tables_(shape.systems * kModes * shape.families.size() * shape.unknowns) {}

void NcTables::define(NcDefiner& definer) {
  const NcDimensions& d = definer.dimensions();
  pivotGrowth_ = definer.define("pivot_growth", NetcdfType::kDouble, {d.system, d.mode});
  columnOrder_ = definer.define("column_order", NetcdfType::kInt64,
                       {d.system, d.mode, d.unknown});
  jobs_ = definer.define("jobs", NetcdfType::kUint64, {d.system, d.mode, d.family});
  seed_ = definer.define("seed", NetcdfType::kUint64, {d.system, d.mode, d.family});
  digits_ = definer.define("digits", NetcdfType::kInt64, {d.system, d.mode, d.family});
  mostSamples_ = definer.define("digits_most_samples", NetcdfType::kUint64,
                       {d.system, d.mode, d.family});
  ruleMet_ = definer.define("digits_rule_met", NetcdfType::kByte,
                   {d.system, d.mode, d.family});
  roundSamples_ = definer.define("digits_round_samples", NetcdfType::kUint64,
                        {d.system, d.mode, d.family, d.round});
  const std::size_t solutions = shape_.systems * kModes * shape_.unknowns;
  for (const SolutionMeasure& measure : solutionMeasures()) {
    // A row without a member repeats a value of the system's (results_nc.cc
    // keeps it there, as results.json does).
    if (measure.field.empty()) continue;
    for (std::string_view column : measure.columns) {
      solutionColumns_.emplace_back(column, solutions);
      solutionIds_.push_back(definer.define(column, netcdfTypeOf(columnKind(column)),
                                   {d.system, d.mode, d.unknown}));
    }
  }
  const std::initializer_list<int> table = {d.system, d.mode, d.family,
                                            d.unknown};
  for (const PhaseMeasure& measure : phaseMeasures()) {
    for (std::string_view column : measure.columns) {
      phaseColumns_.emplace_back(column, tables_);
      phaseIds_.push_back(definer.define(column, netcdfTypeOf(columnKind(column)), table));
    }
  }
  // The added measures' columns after them: numbers.
  for (const AddedMeasure& measure : store_.addedRows()) {
    for (const AddedColumn& column : measure.columns) {
      phaseColumns_.emplace_back(column.name, tables_);
      phaseIds_.push_back(definer.define(
          column.name, NetcdfType::kDouble, table,
          VariableText{column.name, column.longName, column.units}));
    }
  }
  bandCount_ = definer.define("band_count", NetcdfType::kInt64, table);
  truthReason_ = definer.define("truth_reason", NetcdfType::kString, table);
  // The arrays written one phase at a time are chunked within a phase, a
  // few unknowns' rows a chunk.
  const std::size_t n = std::max<std::size_t>(shape_.unknowns, 1);
  const auto phaseChunk = [&](std::size_t width) {
    return std::vector<std::size_t>{
        1, 1, 1, std::clamp<std::size_t>(kPhaseChunkValues / width, 1, n), width};
  };
  const std::size_t k = shape_.bands;
  borders_ = definer.define("borders", NetcdfType::kDouble,
                            {d.system, d.mode, d.family, d.unknown, d.border},
                            {}, phaseChunk(k + 1));
  for (const PhaseMeasure& measure : phaseMeasures()) {
    for (std::string_view column : measure.bandColumns) {
      if (columnKind(column) != ColumnKind::kNumber) {
        throw std::logic_error("band column " + std::string(column) +
                               " is not a number");
      }
      BlockVariable variable{column};
      variable.id = definer.define(
          column, NetcdfType::kDouble,
          {d.system, d.mode, d.family, d.unknown, d.band}, {}, phaseChunk(k));
      variable.lowerTail =
          definer.define(std::string(column) + "_lower_tail", NetcdfType::kDouble,
                table, " (lower tail: below b_0)");
      variable.upperTail =
          definer.define(std::string(column) + "_upper_tail", NetcdfType::kDouble,
                table, " (upper tail: above b_K)");
      bandColumns_.push_back(variable);
      lowerTails_.emplace_back(column, tables_);
      upperTails_.emplace_back(column, tables_);
    }
  }
  if (shape_.batches > 0) {
    for (std::string_view name : kConvergenceNames) {
      convergence_.push_back(BlockVariable{
          name, definer.define(name, NetcdfType::kDouble,
                               {d.system, d.mode, d.family, d.unknown, d.batch},
                               {}, phaseChunk(shape_.batches))});
    }
  }
}

void NcTables::gather() {
  const std::size_t n = shape_.unknowns;
  truthReasons_.assign(tables_, std::string());
  bandCounts_.assign(tables_, kNetcdfFillInt64);
  std::vector<CsvCell> cells;
  for (std::size_t s = 0; s < shape_.systems; ++s) {
    const int system = static_cast<int>(s);
    const SystemReference* reference = store_.reference(system);
    const ExactReference* exact =
        reference != nullptr && reference->exact ? &*reference->exact : nullptr;
    for (const PivotMode& mode : kPivotModes) {
      if (!store_.elimination(system, mode.index).stored) continue;
      const std::size_t m = static_cast<std::size_t>(mode.index);
      for (std::size_t u = 0; u < n; ++u) {
        const int unknown = static_cast<int>(u);
        const SolutionMeasures measured = store_.measures(unknown, system, mode.index);
        const SolutionView view{store_.solution(unknown, system, mode.index),
                                measured, exact, u};
        std::size_t c = 0;
        for (const SolutionMeasure& measure : solutionMeasures()) {
          if (measure.field.empty() || measure.columns.empty()) continue;
          filledCells(cells, measure.columns,
                    [&](CsvRow& row) { measure.cells(row, view); });
          for (const CsvCell& cell : cells) {
            solutionColumns_[c++].set((s * kModes + m) * n + u, cell);
          }
        }
      }
      const std::size_t families = shape_.families.size();
      for (std::size_t f = 0; f < families; ++f) {
        for (std::size_t u = 0; u < n; ++u) {
          const PositionResult* p = store_.phase(static_cast<int>(u), system,
                                                 mode.index, shape_.families[f]);
          if (p == nullptr || !p->solved()) continue;
          const std::size_t t = ((s * kModes + m) * families + f) * n + u;
          std::size_t c = 0;
          for (const PhaseMeasure& measure : phaseMeasures()) {
            if (measure.columns.empty()) continue;
            filledCells(cells, measure.columns,
                      [&](CsvRow& row) { measure.cells(row, *p); });
            for (const CsvCell& cell : cells) phaseColumns_[c++].set(t, cell);
          }
          const std::span<const AddedMeasure> added = store_.addedRows();
          for (std::size_t r = 0; r < added.size(); ++r) {
            cells.clear();
            CsvRow row(added[r].columns.size(), cells);
            addedCells(row, p, added, r);
            for (const CsvCell& cell : cells) phaseColumns_[c++].set(t, cell);
          }
          const std::size_t bands = p->valid.borders.size();
          bandCounts_[t] = static_cast<std::int64_t>(bands);
          truthReasons_[t] = p->measures.truth.reason;
          std::size_t b = 0;
          for (const PhaseMeasure& measure : phaseMeasures()) {
            if (measure.bandCells == nullptr) continue;
            filledCells(cells, measure.bandColumns,
                      [&](CsvRow& row) { measure.bandCells(row, *p, 0); });
            for (std::size_t k = 0; k < cells.size(); ++k) {
              lowerTails_[b + k].set(t, cells[k]);
            }
            filledCells(cells, measure.bandColumns, [&](CsvRow& row) {
              measure.bandCells(row, *p, bands + 1);
            });
            for (std::size_t k = 0; k < cells.size(); ++k) {
              upperTails_[b + k].set(t, cells[k]);
            }
            b += measure.bandColumns.size();
          }
        }
      }
    }
  }
}

void NcTables::put(NetcdfDataset& nc) {
  gather();
  const std::size_t n = shape_.unknowns;
  const std::size_t families = shape_.families.size();
  const std::size_t phases = shape_.systems * kModes * families;
  std::vector<double> growth(shape_.systems * kModes, kNetcdfFillDouble);
  std::vector<std::int64_t> order(shape_.systems * kModes * std::max<std::size_t>(n, 1),
                                  kNetcdfFillInt64);
  std::vector<std::uint64_t> jobs(phases, kNetcdfFillUint64);
  std::vector<std::uint64_t> seeds = jobs, mostSamples = jobs;
  std::vector<std::int64_t> digits(phases, kNetcdfFillInt64);
  std::vector<signed char> ruleMet(phases, kNetcdfFillByte);
  const std::size_t rounds = std::max<std::size_t>(shape_.rounds, 1);
  std::vector<std::uint64_t> roundSamples(phases * rounds, kNetcdfFillUint64);
  for (std::size_t s = 0; s < shape_.systems; ++s) {
    const int system = static_cast<int>(s);
    for (const PivotMode& mode : kPivotModes) {
      const StoredElimination& elimination = store_.elimination(system, mode.index);
      if (!elimination.stored) continue;
      const std::size_t sm = s * kModes + static_cast<std::size_t>(mode.index);
      growth[sm] = elimination.pivotGrowth;
      for (std::size_t p = 0; p < elimination.columnOrder.size() && p < n; ++p) {
        order[sm * n + p] = elimination.columnOrder[p];
      }
      for (std::size_t f = 0; f < families; ++f) {
        const StoredPhase& run = store_.phaseRun(system, mode.index, shape_.families[f]);
        const std::size_t phase = sm * families + f;
        jobs[phase] = run.solvedJobs;
        if (run.seed) seeds[phase] = *run.seed;
        if (run.digits) {
          digits[phase] = run.digits->digits;
          mostSamples[phase] = run.digits->mostSamples;
          ruleMet[phase] = run.digits->end == DigitsEnd::kRuleMet ? 1 : 0;
          const std::vector<std::uint64_t>& tried = run.digits->roundSamples;
          for (std::size_t r = 0; r < tried.size() && r < rounds; ++r) {
            roundSamples[phase * rounds + r] = tried[r];
          }
        }
      }
    }
  }
  nc.put(pivotGrowth_, std::span<const double>(growth));
  nc.put(columnOrder_, std::span<const std::int64_t>(order));
  nc.put(jobs_, std::span<const std::uint64_t>(jobs));
  nc.put(seed_, std::span<const std::uint64_t>(seeds));
  nc.put(digits_, std::span<const std::int64_t>(digits));
  nc.put(mostSamples_, std::span<const std::uint64_t>(mostSamples));
  nc.put(ruleMet_, std::span<const signed char>(ruleMet));
  nc.put(roundSamples_, std::span<const std::uint64_t>(roundSamples));
  for (std::size_t c = 0; c < solutionColumns_.size(); ++c) {
    solutionColumns_[c].putInto(nc, solutionIds_[c]);
  }
  for (std::size_t c = 0; c < phaseColumns_.size(); ++c) {
    phaseColumns_[c].putInto(nc, phaseIds_[c]);
  }
  nc.put(bandCount_, std::span<const std::int64_t>(bandCounts_));
  nc.put(truthReason_, truthReasons_);
  for (std::size_t c = 0; c < bandColumns_.size(); ++c) {
    lowerTails_[c].putInto(nc, bandColumns_[c].lowerTail);
    upperTails_[c].putInto(nc, bandColumns_[c].upperTail);
  }
  for (std::size_t s = 0; s < shape_.systems; ++s) {
    for (const PivotMode& mode : kPivotModes) {
      if (!store_.elimination(static_cast<int>(s), mode.index).stored) continue;
      for (std::size_t f = 0; f < shape_.families.size(); ++f) {
        putPhase(nc, static_cast<int>(s), mode.index, f);
      }
    }
  }
}

// One phase's borders, bands and running estimates, every unknown's.
void NcTables::putPhase(NetcdfDataset& nc, int system, int mode,
                        std::size_t family) {
  const std::size_t n = shape_.unknowns;
  if (n == 0) return;
  const std::size_t width = shape_.bands;
  std::vector<double> borders(n * (width + 1), kNetcdfFillDouble);
  std::vector<std::vector<double>> bands(
      bandColumns_.size(), std::vector<double>(n * width, kNetcdfFillDouble));
  const std::size_t batches = shape_.batches;
  std::vector<std::vector<double>> series(
      convergence_.size(), std::vector<double>(n * batches, kNetcdfFillDouble));
  std::vector<CsvCell> cells;
  for (std::size_t u = 0; u < n; ++u) {
    const PositionResult* p = store_.phase(static_cast<int>(u), system, mode,
                                           shape_.families[family]);
    if (p == nullptr || !p->solved()) continue;
    const PositionBands& valid = p->valid;
    const std::size_t count = valid.borders.size();
    borders[u * (width + 1)] = valid.min;
    for (std::size_t k = 1; k <= count; ++k) {
      borders[u * (width + 1) + k] = valid.borders[k - 1];
    }
    for (std::size_t k = 1; k <= count; ++k) {
      std::size_t b = 0;
      for (const PhaseMeasure& measure : phaseMeasures()) {
        if (measure.bandCells == nullptr) continue;
        filledCells(cells, measure.bandColumns,
                  [&](CsvRow& row) { measure.bandCells(row, *p, k); });
        for (const CsvCell& cell : cells) {
          bands[b++][u * width + k - 1] = cellNumber(cell);
        }
      }
    }
    if (p->convergence && !convergence_.empty()) {
      const Convergence& points = *p->convergence;
      for (std::size_t q = 0; q < points.size() && q < batches; ++q) {
        for (std::size_t v = 0; v < series.size(); ++v) {
          series[v][u * batches + q] = convergenceValue(points[q], v);
        }
      }
    }
  }
  const std::size_t s = static_cast<std::size_t>(system);
  const std::size_t m = static_cast<std::size_t>(mode);
  const std::size_t borderStart[] = {s, m, family, 0, 0};
  const std::size_t borderCount[] = {1, 1, 1, n, width + 1};
  nc.put(borders_, borderStart, borderCount, borders);
  const std::size_t bandCount[] = {1, 1, 1, n, width};
  for (std::size_t c = 0; c < bandColumns_.size(); ++c) {
    nc.put(bandColumns_[c].id, borderStart, bandCount, bands[c]);
  }
  const std::size_t seriesCount[] = {1, 1, 1, n, batches};
  for (std::size_t v = 0; v < convergence_.size(); ++v) {
    nc.put(convergence_[v].id, borderStart, seriesCount, series[v]);
  }
}

}  // namespace linprob
