#include "output/measure_cells.h"

#include <optional>

namespace linprob {

std::size_t bandCount(const PositionResult& p) {
  return p.valid.borders.size();
}

// A table's cell for band k when it walked the histogram's bands (its
// tails always), empty otherwise.
std::optional<double> tableCell(bool available, const NormalTable& table,
                                std::size_t k, std::size_t bands) {
  if (!available) return std::nullopt;
  if (k == 0) return table.lowerTail;
  if (table.masses.size() != bands) return std::nullopt;
  return k <= bands ? table.masses[k - 1] : table.upperTail;
}

void meanSdCells(CsvRow& row, const std::optional<MeanSd>& value) {
  if (value) {
    row.number(value->mean).number(value->sd);
  } else {
    row.empties(2);
  }
}

void normalCells(CsvRow& row, const std::optional<ApproximationCheck>& check) {
  meanSdCells(row, check ? std::optional<MeanSd>(check->normal) : std::nullopt);
}

void discrepancyCells(CsvRow& row, const std::optional<Discrepancy>& d) {
  if (d) {
    row.number(d->totalVariation).number(d->maxCdf);
  } else {
    row.empties(2);
  }
}

void validationCells(CsvRow& row,
                     const std::optional<ApproximationCheck>& check) {
  if (check && check->validation) {
    const GumValidation& v = *check->validation;
    row.number(v.delta).number(v.dLow).number(v.dHigh).verdict(v.validated);
  } else {
    row.empties(4);
  }
}

void truthCells(CsvRow& row, const TruthCheck& check) {
  if (check.truth) {
    row.text(truthMethodName(check.truth->method))
        .number(check.truth->maxError);
  } else {
    row.empties(2);
  }
  discrepancyCells(row, check.valid);
  discrepancyCells(row, check.invalid);
  discrepancyCells(row, check.exactLinear);
}

// The truth's value and error bound for band k; empty when it is missing
// or (but for the lower tail) walked other bands.
void truthBandCells(CsvRow& row, const TruthCheck& check, std::size_t k,
                    std::size_t bands) {
  if (!check.truth) {
    row.empties(2);
    return;
  }
  const TruthTable& truth = *check.truth;
  const bool walked = k == 0 || truth.values.masses.size() == bands;
  row.number(tableCell(walked, truth.values, k, bands));
  row.number(tableCell(walked, truth.errors, k, bands));
}

// The standard errors of the mean, the sd and the four interval ends and
// their coverage factor, or empties (too few samples or replicates, no
// interval).
void errorCells(CsvRow& row, const std::optional<PositionErrors>& errors) {
  if (!errors) {
    row.empties(7);
    return;
  }
  row.number(errors->mean).number(errors->sd);
  if (errors->coverage) {
    const CoverageErrors& c = *errors->coverage;
    row.number(c.symmetricLower).number(c.symmetricUpper);
    row.number(c.shortestLower).number(c.shortestUpper);
  } else {
    row.empties(4);
  }
  row.number(errors->coverageFactor);
}

// VALID has no tails: their error is 0 where there are errors.
std::optional<double> errorCell(const std::optional<PositionErrors>& errors,
                                std::size_t k, std::size_t bands) {
  if (!errors) return std::nullopt;
  return k >= 1 && k <= bands && k <= errors->masses.size()
             ? errors->masses[k - 1]
             : 0.0;
}

}  // namespace linprob
