// Report/results.nc read back through the netCDF library: its dimensions,
// the values of a made-up run bit for bit, the words of every column, and a
// failure of the library named, a stop heeded.
#include "output/results_nc.h"

#include <gtest/gtest.h>
#include <netcdf.h>
#include <netcdf_mem.h>

#include <sstream>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

#include "base/output_buffer.h"
#include "output/measure_rows.h"
#include "output/nc_columns.h"
#include "output/nc_variables.h"
#include "output/netcdf_dataset.h"
#include "output/tidy_csv.h"
#include "support/many_systems.h"
#include "support/opened_nc_file.h"

namespace linprob {
namespace {

using testing_support::OpenedFile;

double spread(int system) { return 0.01 * (system + 1); }

TEST(ResultsNcTest, HoldsEveryBandAndMeasureOfTheRun) {
  const ResultStore store = testing::manySystems(3, 2, 10, spread);
  std::ostringstream out;
  writeResultsNc(RunInfo{}, store, out);
  const OpenedFile file(out.str());
  EXPECT_EQ(file.dimension("system"), 3u);
  EXPECT_EQ(file.dimension("mode"), 4u);
  EXPECT_EQ(file.dimension("family"), 3u);
  EXPECT_EQ(file.dimension("unknown"), 2u);
  const std::size_t k = store.phase(0, 0, 0, Family::kNormal)->valid.masses.size();
  EXPECT_EQ(file.dimension("band"), k);
  EXPECT_EQ(file.dimension("border"), k + 1);

  const std::size_t tables = 3 * 4 * 3 * 2;
  const std::vector<double> valid = file.doubles("valid", tables * k);
  const std::vector<double> borders = file.doubles("borders", tables * (k + 1));
  const std::vector<double> tv = file.doubles("invalid_total_variation", tables);
  std::size_t t = 0;
  for (int s = 0; s < 3; ++s) {
    for (const PivotMode& mode : kPivotModes) {
      for (const FamilyInfo& family : kFamilies) {
        // The families of a run whose systems have the files every
        // system has.
        if (!requiredFamilies().test(static_cast<std::size_t>(family.family))) continue;
        for (int u = 0; u < 2; ++u, ++t) {
          const PositionResult* p = store.phase(u, s, mode.index, family.family);
          ASSERT_NE(p, nullptr);
          for (std::size_t b = 0; b < k; ++b) {
            EXPECT_EQ(valid[t * k + b], p->valid.masses[b]);
            EXPECT_EQ(borders[t * (k + 1) + b + 1], p->valid.borders[b]);
          }
          EXPECT_EQ(borders[t * (k + 1)], p->valid.min);
          EXPECT_EQ(tv[t], p->measures.invalid->discrepancy->totalVariation);
        }
      }
    }
  }
  // No certified values in this run: the fill value stands for them.
  EXPECT_EQ(file.doubles("true_solution", 6)[0], kNetcdfFillDouble);
  EXPECT_EQ(file.text("valid"), "VALID: probability of the band from the solved values");
}

TEST(ResultsNcTest, EveryColumnOfTheTablesHasItsWords) {
  for (std::size_t c = kUnknownKeyColumns; c < kUnknownColumns.size(); ++c) {
    EXPECT_TRUE(findVariableText(kUnknownColumns[c])) << kUnknownColumns[c];
  }
  for (std::size_t c = kBandKeyColumns; c < kBandColumns.size(); ++c) {
    EXPECT_TRUE(findVariableText(kBandColumns[c])) << kBandColumns[c];
    EXPECT_EQ(columnKind(kBandColumns[c]), ColumnKind::kNumber);
  }
  EXPECT_EQ(columnKind("truth_method"), ColumnKind::kText);
  EXPECT_EQ(columnKind("invalid_validated"), ColumnKind::kVerdict);
}

TEST(ResultsNcTest, ACellOfAnotherKindIsRefused) {
  ColumnArray verdicts("invalid_validated", 2);
  EXPECT_THROW(verdicts.set(0, CsvCell(0.5)), std::logic_error);
  verdicts.set(1, CsvCell{});  // empty: the fill value stays
  verdicts.set(1, CsvVerdict{true});
  // A missing verdict is an empty cell, as the tables leave it.
  std::vector<CsvCell> cells;
  CsvRow row(1, cells);
  row.verdict(std::nullopt);
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(cells[0]));
}

// A stop of the run ends the building between two puts: the dataset asks
// before each, and the file's writer asks its stream, whose flush looks at
// the stop.
TEST(ResultsNcTest, AStopEndsTheBuildingBeforeTheNextPut) {
  int asked = 0;
  NetcdfDataset nc([&] { return ++asked < 3; });
  const int dims[] = {nc.dimension("unknown", 2)};
  const int x = nc.variable("x", NetcdfType::kDouble, dims);
  nc.endDefinitions();
  const double values[] = {1.0, 2.0};
  nc.put(x, values);
  nc.put(x, values);
  EXPECT_THROW(nc.put(x, values), NetcdfStopped);
  EXPECT_EQ(asked, 3);

  const ResultStore store = testing::manySystems(1, 2, 10, spread);
  std::stop_source stop;
  TextOutput text(stop.get_token());
  stop.request_stop();
  EXPECT_THROW(writeResultsNc(RunInfo{}, store, text.stream()), NetcdfStopped);
  EXPECT_EQ(text.take(), "");
}

TEST(ResultsNcTest, AFailureOfTheLibraryNamesWhatWasDone) {
  NetcdfDataset nc;
  nc.dimension("unknown", 3);
  try {
    nc.dimension("unknown", 4);
    FAIL() << "a second dimension of one name";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "NetCDF: dimension unknown: NetCDF: String match to name in use");
  }
}

}  // namespace
}  // namespace linprob
