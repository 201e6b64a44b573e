#include "output/tidy_csv.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "output/number_text.h"

namespace linprob {
namespace {

// The columns of unknowns.csv that a phase fills: from min to the last
// standard error.
constexpr std::size_t kFirstPhaseColumn = 15;
constexpr std::size_t kPhaseColumnsEnd = 57;
static_assert(std::string_view(kUnknownColumns[kFirstPhaseColumn]) == "min");
static_assert(std::string_view(kUnknownColumns[kPhaseColumnsEnd]) ==
              "exact_bounds_lower");

// One line of cells, joined by commas.
class Row {
 public:
  Row& text(const std::string& cell) {
    if (cells_ > 0) line_ += ',';
    line_ += cell;
    ++cells_;
    return *this;
  }
  Row& number(double x) { return text(numberText(x)); }
  Row& number(const std::optional<double>& x) {
    return text(x ? numberText(*x) : std::string());
  }
  Row& count(std::uint64_t x) { return text(numberText(x)); }
  Row& empty() { return text(std::string()); }
  Row& verdict(const std::optional<bool>& x) {
    return text(x ? (*x ? "True" : "False") : "");
  }
  void writeTo(std::ostream& out) const { out << line_ << '\n'; }

 private:
  std::string line_;
  std::size_t cells_ = 0;
};

template <std::size_t N>
void writeHeader(const std::array<const char*, N>& columns,
                 std::ostream& out) {
  Row header;
  for (const char* column : columns) header.text(column);
  header.writeTo(out);
}

// The key cells of a row: system, mode, family, unknown.
Row keyRow(int system, const PivotMode& mode, const FamilyInfo& family,
           int unknown) {
  Row row;
  row.count(static_cast<std::uint64_t>(system))
      .text(mode.label)
      .text(family.name)
      .count(static_cast<std::uint64_t>(unknown));
  return row;
}

// Calls visit(system, mode, family, unknown) in row order.
template <typename Visit>
void forEachUnknown(const ResultStore& store, Visit visit) {
  for (int system = 0; system < store.systemCount(); ++system) {
    for (const PivotMode& mode : kPivotModes) {
      if (!store.elimination(system, mode.index).stored) continue;
      for (const FamilyInfo& family : kFamilies) {
        for (int v = 0; v < store.unknownCount(); ++v) {
          visit(system, mode, family, v);
        }
      }
    }
  }
}

// An approximation's cell for band k (1-based) or the upper tail (k = K+1),
// empty when it did not walk the histogram's bands.
std::optional<double> approxCell(bool available, const NormalTable& table,
                                 std::size_t k, std::size_t bandCount) {
  if (!available || table.masses.size() != bandCount) return std::nullopt;
  return k <= bandCount ? table.masses[k - 1] : table.upperTail;
}

// ---- the continuous truth and the variance shares -------------------------

// The truth's value and error bound for the lower tail (k = 0), band k or
// the upper tail (k = K+1); empty when it is missing or walked other bands.
void truthCells(Row& row, const TruthCheck& check, std::size_t k,
                std::size_t bandCount) {
  if (!check.truth) {
    row.empty().empty();
    return;
  }
  const TruthTable& truth = *check.truth;
  if (k == 0) {
    row.number(truth.values.lowerTail).number(truth.errors.lowerTail);
    return;
  }
  const bool walked = truth.values.masses.size() == bandCount;
  row.number(approxCell(walked, truth.values, k, bandCount));
  row.number(approxCell(walked, truth.errors, k, bandCount));
}

void truthDiscrepancyCells(Row& row, const std::optional<Discrepancy>& d) {
  if (d) {
    row.number(d->totalVariation).number(d->maxCdf);
  } else {
    row.empty().empty();
  }
}

void truthUnknownCells(Row& row, const TruthCheck& check) {
  if (check.truth) {
    row.text(truthMethodName(check.truth->method))
        .number(check.truth->maxError);
  } else {
    row.empty().empty();
  }
  truthDiscrepancyCells(row, check.valid);
  truthDiscrepancyCells(row, check.invalid);
  truthDiscrepancyCells(row, check.exactLinear);
}

void shareCell(Row& row, const UnknownShares& shares, std::size_t entry) {
  row.number(shares.state == ShareState::kCertified
                 ? std::optional<double>(shares.shares[entry])
                 : std::nullopt);
}

// ---- bands and unknowns -------------------------------------------------------

void writeBandRows(int system, const PivotMode& mode, const FamilyInfo& family,
                   int unknown, const PositionResult& position,
                   std::ostream& out) {
  const PositionBands& bands = position.valid;
  const bool invalid = position.measures.invalid.has_value();
  const bool linear = position.measures.exactLinear.has_value();
  const NormalTable& linearTable = position.measures.exactLinearTable;
  const std::size_t bandCount = bands.borders.size();

  Row lower = keyRow(system, mode, family, unknown);
  lower.text("lower_tail").empty().number(bands.min).number(0.0);
  lower.number(invalid ? std::optional<double>(position.invalid.lowerTail)
                       : std::nullopt);
  lower.number(linear ? std::optional<double>(linearTable.lowerTail)
                      : std::nullopt);
  truthCells(lower, position.measures.truth, 0, bandCount);
  // VALID has no tails: their error is 0 where there are errors.
  const std::optional<PositionErrors>& errors = position.errors;
  lower.number(errors ? std::optional<double>(0.0) : std::nullopt);
  lower.writeTo(out);

  double from = bands.min;
  for (std::size_t k = 1; k <= bandCount + 1; ++k) {
    // A failed (or stopped) stream drops the rest: skip its formatting.
    if (!out) return;
    Row row = keyRow(system, mode, family, unknown);
    if (k <= bandCount) {
      const double to = bands.borders[k - 1];
      row.count(k).number(from).number(to).number(bands.masses[k - 1]);
      from = to;
    } else {
      row.text("upper_tail").number(from).empty().number(0.0);
    }
    row.number(approxCell(invalid, position.invalid, k, bandCount));
    row.number(approxCell(linear, linearTable, k, bandCount));
    truthCells(row, position.measures.truth, k, bandCount);
    if (!errors) {
      row.empty();
    } else {
      row.number(k <= bandCount && k <= errors->masses.size()
                     ? errors->masses[k - 1]
                     : 0.0);
    }
    row.writeTo(out);
  }
}

// The cells of one approximation's check: mean, sd (or two empties).
void normalCells(Row& row, const std::optional<ApproximationCheck>& check) {
  if (check) {
    row.number(check->normal.mean).number(check->normal.sd);
  } else {
    row.empty().empty();
  }
}

void discrepancyCells(Row& row,
                      const std::optional<ApproximationCheck>& check) {
  if (check && check->discrepancy) {
    row.number(check->discrepancy->totalVariation)
        .number(check->discrepancy->maxCdf);
  } else {
    row.empty().empty();
  }
}

void validationCells(Row& row,
                     const std::optional<ApproximationCheck>& check) {
  if (check && check->validation) {
    const GumValidation& v = *check->validation;
    row.number(v.delta).number(v.dLow).number(v.dHigh).verdict(v.validated);
  } else {
    row.empty().empty().empty().empty();
  }
}

void meanSdCells(Row& row, const std::optional<MeanSd>& value) {
  if (value) {
    row.number(value->mean).number(value->sd);
  } else {
    row.empty().empty();
  }
}

// The standard errors of the mean, the sd and the four interval ends and
// their coverage factor, or empties (enumeration, too few samples or
// replicates, no interval).
void errorCells(Row& row, const std::optional<PositionErrors>& errors) {
  if (errors) {
    row.number(errors->mean).number(errors->sd);
  } else {
    row.empty().empty();
  }
  if (errors && errors->coverage) {
    const CoverageErrors& c = *errors->coverage;
    row.number(c.symmetricLower).number(c.symmetricUpper);
    row.number(c.shortestLower).number(c.shortestUpper);
  } else {
    row.empty().empty().empty().empty();
  }
  if (errors) {
    row.number(errors->coverageFactor);
  } else {
    row.empty();
  }
}

// The cells from min to the last standard error of a solved unknown.
void phaseCells(Row& row, const PositionResult& position) {
  const PositionMeasures& measures = position.measures;
  row.number(position.valid.min).number(position.valid.max);
  meanSdCells(row, measures.moments);
  meanSdCells(row, measures.expectedMoments);
  normalCells(row, measures.invalid);
  normalCells(row, measures.exactLinear);
  if (measures.coverage) {
    const CoverageInterval& c = *measures.coverage;
    row.number(c.symmetricLower).number(c.symmetricUpper);
    row.number(c.shortestLower).number(c.shortestUpper);
    row.number(c.resolution);
  } else {
    row.empty().empty().empty().empty().empty();
  }
  discrepancyCells(row, measures.invalid);
  discrepancyCells(row, measures.exactLinear);
  validationCells(row, measures.invalid);
  validationCells(row, measures.exactLinear);
  truthUnknownCells(row, measures.truth);
  errorCells(row, position.errors);
}

void writeUnknownRow(const ResultStore& store, int system,
                     const PivotMode& mode, const FamilyInfo& family,
                     int unknown, std::ostream& out) {
  const SystemReference* reference = store.reference(system);
  const ExactReference* exact =
      reference != nullptr && reference->exact ? &*reference->exact : nullptr;
  const StoredSolution& solution = store.solution(unknown, system, mode.index);
  const SolutionMeasures measured = store.measures(unknown, system, mode.index);
  const auto u = static_cast<std::size_t>(unknown);

  Row row = keyRow(system, mode, family, unknown);
  row.count(store.phaseRun(system, mode.index, family.family).solvedJobs);
  row.number(exact ? std::optional<double>(exact->conditionNumber)
                   : std::nullopt);
  row.number(store.elimination(system, mode.index).pivotGrowth);
  row.number(solution.plainReplay);
  row.number(exact ? exact->trueSolution[u] : std::nullopt);
  row.number(measured.forwardErrorUlps);
  row.number(solution.intervalLow).number(solution.intervalHigh);
  if (exact && exact->hull[u]) {
    row.number(exact->hull[u]->lower).number(exact->hull[u]->upper);
  } else {
    row.empty().empty();
  }
  row.number(measured.intervalOverestimation);

  const PositionResult* position =
      store.phase(unknown, system, mode.index, family.family);
  if (position == nullptr || !position->solved()) {
    // From min on: nothing was solved.
    for (std::size_t c = kFirstPhaseColumn; c < kPhaseColumnsEnd; ++c) {
      row.empty();
    }
  } else {
    phaseCells(row, *position);
  }
  row.number(solution.plainReplayLow).number(solution.plainReplayHigh);
  row.writeTo(out);
}


}  // namespace

void writeBandsCsv(const ResultStore& store, std::ostream& out) {
  writeHeader(kBandColumns, out);
  forEachUnknown(store, [&](int system, const PivotMode& mode,
                            const FamilyInfo& family, int unknown) {
    const PositionResult* position =
        store.phase(unknown, system, mode.index, family.family);
    if (position != nullptr && position->solved()) {
      writeBandRows(system, mode, family, unknown, *position, out);
    }
  });
}

void writeUnknownsCsv(const ResultStore& store, std::ostream& out) {
  writeHeader(kUnknownColumns, out);
  forEachUnknown(store, [&](int system, const PivotMode& mode,
                            const FamilyInfo& family, int unknown) {
    writeUnknownRow(store, system, mode, family, unknown, out);
  });
}

void writeSensitivityCsv(const ResultStore& store, std::ostream& out) {
  writeHeader(kSensitivityColumns, out);
  for (int system = 0; system < store.systemCount(); ++system) {
    const SystemReference* reference = store.reference(system);
    if (reference == nullptr) continue;
    for (const FamilyInfo& info : kFamilies) {
      const FamilyReference* family = reference->family(info.family);
      if (family == nullptr) continue;
      for (std::size_t i = 0; i < family->shares.size(); ++i) {
        const UnknownShares& shares = family->shares[i];
        for (std::size_t j = 0; j < shares.contributionSd.size(); ++j) {
          Row row;
          row.count(static_cast<std::uint64_t>(system))
              .text(info.name)
              .count(i)
              .count(j);
          shareCell(row, shares, j);
          row.number(shares.contributionSd[j]);
          if (family->cellShares) {
            shareCell(row, (*family->cellShares)[i], j);
          } else {
            row.empty();
          }
          row.writeTo(out);
        }
      }
    }
  }
}

}  // namespace linprob
