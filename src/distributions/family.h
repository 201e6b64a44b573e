// Family: the families of right-hand-side distributions, in the order a
// system runs their phases (which is also their index in results): the
// symmetric triangular and the uniform family on the (lower, upper) entries
// of "UniformRHS.txt", the normal family on the (mean, variance) entries of
// "NormalRHS.txt", and the lognormal family on the (mean, variance) entries
// of "LognormalRHS.txt" where a system has that file
// (distributions/lognormal_family.h).
//
// Everything that depends on the family is one row of kFamilies: its names
// and lines, the kind of parameters it reads (distributions/parameter_files.h),
// how its entries become cells (and how many), moments (as doubles and exactly), a sampling
// range and draws, and the continuous law of its entries. Every function of
// a row reads one entry as the span of its kind's numbers for that entry.
// Nothing else in the program switches on the family.
//
// A new family is a new enumerator and a new row here, and its own file
// pair with the row's functions (cells, moments, exact moments, sampling
// range and quantile); a new file of parameters is a row of
// kParameterKinds besides. It draws through its quantile
// (SampleDraw::kQuantile) and, as long as no exact law of its sums is
// written (EntryShape::kOther), its phases say that the continuous truth was
// not computed; where its moments are not rational numbers its exact
// moments say so (ExactEntryMoments), and its references are left out with
// that reason. The static_asserts below tie every count to the tables.
//
// The VALID header of the triangular family is spelled "Triangluar", as the
// summary files have always had it.
#ifndef LINPROB_DISTRIBUTIONS_FAMILY_H_
#define LINPROB_DISTRIBUTIONS_FAMILY_H_

#include <array>
#include <bitset>
#include <cstddef>
#include <span>
#include <vector>

#include "distributions/data_family.h"
#include "distributions/entry_parameters.h"
#include "distributions/lognormal_family.h"
#include "distributions/parameter_files.h"
#include "distributions/sample_rectangle.h"
#include "linear/copula_covariance.h"
#include "linear/normal_parameters.h"

namespace linprob {

struct ExactEntryMoments;  // linear/exact_moments.h

enum class Family {
  kTriangular = 0,
  kNormal = 1,
  kUniform = 2,
  kLognormal = 3,
  kData = 4,
};

// How many cells per entry an enumerating phase of the family takes: the
// settings' IntegrationPrecision, or one per value of an entry (the data
// family's measured values, whatever the settings say).
enum class CellCount { kSettingsCount, kOnePerValue };

// How a sampling phase draws one entry (distributions/sample_blocks.h) and
// how points in the unit cube become entries (distributions/inverse_cdf.h):
// the first three by their own code, any other law as its quantile of a
// uniform in (0, 1).
enum class SampleDraw { kNormal, kTriangular, kUniform, kQuantile };

// The continuous law an entry follows as its pair describes it, for the
// exact distribution of the unknowns (distributions/sum_law.h): normal,
// uniform on [p, q], symmetric triangular on [p, q]; kListed takes its
// listed values, each with the same probability, so that an enumeration of
// every combination is the law itself (results/truth_check.h); kOther has
// none.
enum class EntryShape { kNormal, kUniform, kTriangular, kListed, kOther };

struct FamilyInfo {
  Family family;
  const char* name;           // "Triangular", "Normal", "Uniform"
  ParameterKind parameterKind;  // the file its entries' numbers are in
  const char* startLine;      // console, before "Matrix: <i>"
  const char* modeWord;       // console, between the index and the flags
  const char* sortingLine;    // console, after the jobs are solved
  const char* validHeader;    // summary file
  const char* invalidHeader;  // summary file
  const char* csvLabel;       // CSV export, with its semicolon
  // `count` cells per entry of `entries` (none for count <= 0),
  // [cell][entry] (distributions/discretisation.h).
  RectangleTable (*cells)(int count, const EntryParameters& entries);
  // The mean and variance of one entry, in doubles.
  NormalParameters (*moments)(EntryNumbers entry);
  // The same without rounding (linear/exact_moments.h), or why there are
  // none; throws std::invalid_argument on numbers it refuses.
  ExactEntryMoments (*exactMoments)(EntryNumbers entry);
  // Where a sampling phase's draws of the entry lie.
  SamplingRange (*samplingRange)(EntryNumbers entry);
  // The entry's value at probability u in (0, 1), within samplingRange.
  double (*quantile)(EntryNumbers entry, double u);
  SampleDraw draw;
  EntryShape shape;
  CellCount cellCount = CellCount::kSettingsCount;
  // The covariance of correlated entries through their copula, where it
  // has a closed form (linear/copula_covariance.h).
  CopulaCovariance copula = CopulaCovariance::kNone;
};

// The rows of the three families: entries (mean, variance) or (lower,
// upper).
namespace family_rows {
RectangleTable normalCells(int count, const EntryParameters& entries);
RectangleTable triangularCells(int count, const EntryParameters& entries);
RectangleTable uniformCells(int count, const EntryParameters& entries);
NormalParameters normalMoments(EntryNumbers entry);
NormalParameters triangularMoments(EntryNumbers entry);
NormalParameters uniformMoments(EntryNumbers entry);
ExactEntryMoments exactNormalMoments(EntryNumbers entry);
ExactEntryMoments exactTriangularMoments(EntryNumbers entry);
ExactEntryMoments exactUniformMoments(EntryNumbers entry);
SamplingRange normalRange(EntryNumbers entry);
SamplingRange boundedRange(EntryNumbers entry);
double normalQuantile(EntryNumbers entry, double u);
double triangularQuantile(EntryNumbers entry, double u);
double uniformQuantile(EntryNumbers entry, double u);
}  // namespace family_rows

using FamilyTable = std::array<FamilyInfo, 5>;

inline constexpr FamilyTable kFamilies = {{
    {Family::kTriangular, "Triangular", ParameterKind::kBounds,
     "Calculating results for Triangular Distribution...", " Mode ",
     "Sorting results for Triangular Distribution...",
     "Results for the Triangluar distribution:",
     "INVALID Results for the Triangular distribution:", "Triangular;",
     family_rows::triangularCells, family_rows::triangularMoments,
     family_rows::exactTriangularMoments, family_rows::boundedRange,
     family_rows::triangularQuantile, SampleDraw::kTriangular, EntryShape::kTriangular},
    {Family::kNormal, "Normal", ParameterKind::kNormal,
     "Calculating results for Normal Distribution...", " Mode ",
     "Sorting results for Normal Distribution...",
     "Results for the Normal distribution:",
     "INVALID Results for the Normal distribution:", "Normal;",
     family_rows::normalCells, family_rows::normalMoments,
     family_rows::exactNormalMoments, family_rows::normalRange,
     family_rows::normalQuantile, SampleDraw::kNormal, EntryShape::kNormal,
     CellCount::kSettingsCount, CopulaCovariance::kNormal},
    {Family::kUniform, "Uniform", ParameterKind::kBounds,
     "Calculating results for Uniform Distribution...", " Mode",
     "Sorting results for Uniform Distribution...",
     "Results for the Uniform distribution:",
     "INVALID Results for the Uniform distribution:", "Uniform;",
     family_rows::uniformCells, family_rows::uniformMoments,
     family_rows::exactUniformMoments, family_rows::boundedRange,
     family_rows::uniformQuantile, SampleDraw::kUniform, EntryShape::kUniform,
     CellCount::kSettingsCount, CopulaCovariance::kUniform},
    {Family::kLognormal, "Lognormal", ParameterKind::kLognormal,
     "Calculating results for Lognormal Distribution...", " Mode ",
     "Sorting results for Lognormal Distribution...",
     "Results for the Lognormal distribution:",
     "INVALID Results for the Lognormal distribution:", "Lognormal;",
     family_rows::lognormalCells, family_rows::lognormalMoments,
     family_rows::exactLognormalMoments, family_rows::lognormalRange,
     family_rows::lognormalQuantile, SampleDraw::kQuantile, EntryShape::kOther,
     CellCount::kSettingsCount, CopulaCovariance::kLognormal},
    {Family::kData, "Data", ParameterKind::kData,
     "Calculating results for Data Distribution...", " Mode ",
     "Sorting results for Data Distribution...",
     "Results for the Data distribution:",
     "INVALID Results for the Data distribution:", "Data;",
     family_rows::dataCells, family_rows::dataMoments,
     family_rows::exactDataMoments, family_rows::dataRange,
     family_rows::dataQuantile, SampleDraw::kQuantile, EntryShape::kListed,
     CellCount::kOnePerValue},
}};

inline constexpr std::size_t kFamilyCount = kFamilies.size();

// Every row sits at its family's index, so results indexed by the family and
// loops over the table agree.
constexpr bool rowsInFamilyOrder() {
  for (std::size_t k = 0; k < kFamilies.size(); ++k) {
    if (static_cast<std::size_t>(kFamilies[k].family) != k) return false;
  }
  return true;
}

// Whether some family reads the parameters of `kind`.
constexpr bool readByAFamily(ParameterKind kind) {
  for (const FamilyInfo& row : kFamilies) {
    if (row.parameterKind == kind) return true;
  }
  return false;
}
// Every parameter file is read by some family: the start-of-run check
// reads and checks each one, and a file no family reads would be refused
// for nothing.
constexpr bool everyKindIsRead() {
  for (const ParameterKindInfo& kind : kParameterKinds) {
    if (!readByAFamily(kind.kind)) return false;
  }
  return true;
}
// Every family reads a kind that has its row in kParameterKinds.
constexpr bool everyKindHasItsRow() {
  for (const FamilyInfo& row : kFamilies) {
    if (static_cast<std::size_t>(row.parameterKind) >= kParameterKindCount) {
      return false;
    }
  }
  return true;
}
static_assert(rowsInFamilyOrder(), "kFamilies is indexed by Family");
static_assert(everyKindHasItsRow(), "every family's parameters have their row");
static_assert(static_cast<std::size_t>(Family::kData) + 1 == kFamilyCount,
              "every Family has its row");
static_assert(everyKindIsRead(), "every parameter file is read by a family");

// The families a run from files always analyses: those whose parameter
// file every system has.
using FamilySet = std::bitset<kFamilyCount>;
constexpr FamilySet requiredFamilies() {
  unsigned long long bits = 0;
  for (const FamilyInfo& row : kFamilies) {
    if (kindInfo(row.parameterKind).presence == Presence::kRequired) {
      bits |= 1ULL << static_cast<unsigned>(row.family);
    }
  }
  return FamilySet(bits);
}

inline const FamilyInfo& familyInfo(Family family) {
  return kFamilies[static_cast<std::size_t>(family)];
}

// The file the family's parameters are in.
constexpr const char* parameterFileOf(const FamilyInfo& family) {
  return parameterFileOf(family.parameterKind);
}

// The first n entries of `numbers`, the numbers of the family's parameter
// file as read (at least parameterCount(kind, n) of them).
EntryParameters entryParameters(const FamilyInfo& family,
                                const std::vector<double>& numbers,
                                unsigned n);

// The cells per entry an enumerating phase of `family` takes when the
// settings say `settingsCount` (its row's CellCount).
inline int enumeratedCells(const FamilyInfo& family, int settingsCount,
                           const EntryParameters& entries) {
  return family.cellCount == CellCount::kSettingsCount
             ? settingsCount
             : static_cast<int>(entries.width);
}

// The family's moments of its entries, in equation order.
std::vector<NormalParameters> familyMoments(const FamilyInfo& family,
                                            const EntryParameters& entries);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_FAMILY_H_
