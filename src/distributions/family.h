// Family: the families of right-hand-side distributions, in the order a
// system runs their phases (which is also their index in results): the
// symmetric triangular and the uniform family on the (lower, upper) pairs of
// "UniformRHS.txt", the normal family on the (mean, variance) pairs of
// "NormalRHS.txt".
//
// Everything that depends on the family is one row of kFamilies: its names
// and lines, its parameter file, how its pairs become cells, moments (as
// doubles and exactly), a sampling range and draws, and the continuous law
// of its entries. Nothing else in the program switches on the family.
//
// A new family is a new enumerator and a new row here, and its own file
// pair with the row's functions (cells, moments, exact moments, sampling
// range and quantile); it draws through its quantile (SampleDraw::kQuantile)
// and, as long as no exact law of its sums is written (EntryShape::kOther),
// its phases say that the continuous truth was not computed. The
// static_asserts below tie every count to the table.
//
// The VALID header of the triangular family is spelled "Triangluar", as the
// summary files have always had it.
#ifndef LINPROB_DISTRIBUTIONS_FAMILY_H_
#define LINPROB_DISTRIBUTIONS_FAMILY_H_

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "base/status.h"
#include "distributions/discretisation.h"
#include "distributions/sample_rectangle.h"
#include "linear/normal_parameters.h"

namespace linprob {

struct EntryMoments;  // linear/exact_moments.h

enum class Family { kTriangular = 0, kNormal = 1, kUniform = 2 };

// What the pairs of a parameter file mean; also the index of a system's
// pairs of that file (SystemInputs).
enum class ParameterKind {
  kNormal = 0,  // (mean, variance)
  kBounds = 1,  // (lower end, upper end)
};
inline constexpr std::size_t kParameterKindCount = 2;

// The file of each kind of pairs, in the order the start-of-run check reads
// them.
inline constexpr std::array<const char*, kParameterKindCount> kParameterFiles =
    {"NormalRHS.txt", "UniformRHS.txt"};
inline constexpr const char* parameterFileOf(ParameterKind kind) {
  return kParameterFiles[static_cast<std::size_t>(kind)];
}

// How a sampling phase draws one entry (distributions/sample_blocks.h) and
// how points in the unit cube become entries (distributions/inverse_cdf.h):
// the first three by their own code, any other law as its quantile of a
// uniform in (0, 1).
enum class SampleDraw { kNormal, kTriangular, kUniform, kQuantile };

// The continuous law an entry follows as its pair describes it, for the
// exact distribution of the unknowns (distributions/sum_law.h): normal,
// uniform on [p, q], symmetric triangular on [p, q]; kOther has none.
enum class EntryShape { kNormal, kUniform, kTriangular, kOther };

// Normal draws are held within this many standard deviations of the mean
// (far beyond anything they reach), for the box of a sampling phase.
inline constexpr double kSamplingDeviations = 40.0;

// The interval every draw of one entry lies in.
struct SamplingRange {
  double lower = 0.0;
  double upper = 0.0;
};

// The parameters of the n entries of a phase: pair e is (first[e],
// second[e]).
struct ParameterPairs {
  std::vector<double> first;
  std::vector<double> second;
};

struct FamilyInfo {
  Family family;
  const char* name;           // "Triangular", "Normal", "Uniform"
  const char* parameterFile;  // parameterFileOf(parameterKind)
  ParameterKind parameterKind;
  const char* startLine;      // console, before "Matrix: <i>"
  const char* modeWord;       // console, between the index and the flags
  const char* sortingLine;    // console, after the jobs are solved
  const char* validHeader;    // summary file
  const char* invalidHeader;  // summary file
  const char* csvLabel;       // CSV export, with its semicolon
  // `count` cells per entry (none for count <= 0), [cell][entry]
  // (distributions/discretisation.h).
  RectangleTable (*cells)(unsigned n, int count,
                          const std::vector<double>& first,
                          const std::vector<double>& second);
  // The mean and variance of one entry from its pair (p, q), in doubles.
  NormalParameters (*moments)(double p, double q);
  // The same without rounding (linear/exact_moments.h); throws
  // std::invalid_argument on a pair it refuses.
  EntryMoments (*exactMoments)(double p, double q);
  // Where a sampling phase's draws of the entry lie.
  SamplingRange (*samplingRange)(double p, double q);
  // The entry's value at probability u in (0, 1), within samplingRange.
  double (*quantile)(double p, double q, double u);
  SampleDraw draw;
  EntryShape shape;
};

namespace family_rows {
NormalParameters normalMoments(double mean, double variance);
NormalParameters triangularMoments(double lower, double upper);
NormalParameters uniformMoments(double lower, double upper);
EntryMoments exactNormalMoments(double mean, double variance);
EntryMoments exactTriangularMoments(double lower, double upper);
EntryMoments exactUniformMoments(double lower, double upper);
SamplingRange normalRange(double mean, double variance);
SamplingRange boundedRange(double lower, double upper);
double normalQuantile(double mean, double variance, double u);
double triangularQuantile(double lower, double upper, double u);
double uniformQuantile(double lower, double upper, double u);
}  // namespace family_rows

inline constexpr std::array<FamilyInfo, 3> kFamilies = {{
    {Family::kTriangular, "Triangular", kParameterFiles[1], ParameterKind::kBounds,
     "Calculating results for Triangular Distribution...", " Mode ",
     "Sorting results for Triangular Distribution...",
     "Results for the Triangluar distribution:",
     "INVALID Results for the Triangular distribution:", "Triangular;",
     triangularCells, family_rows::triangularMoments,
     family_rows::exactTriangularMoments, family_rows::boundedRange,
     family_rows::triangularQuantile, SampleDraw::kTriangular, EntryShape::kTriangular},
    {Family::kNormal, "Normal", kParameterFiles[0], ParameterKind::kNormal,
     "Calculating results for Normal Distribution...", " Mode ",
     "Sorting results for Normal Distribution...",
     "Results for the Normal distribution:",
     "INVALID Results for the Normal distribution:", "Normal;",
     normalCells, family_rows::normalMoments,
     family_rows::exactNormalMoments, family_rows::normalRange,
     family_rows::normalQuantile, SampleDraw::kNormal, EntryShape::kNormal},
    {Family::kUniform, "Uniform", kParameterFiles[1], ParameterKind::kBounds,
     "Calculating results for Uniform Distribution...", " Mode",
     "Sorting results for Uniform Distribution...",
     "Results for the Uniform distribution:",
     "INVALID Results for the Uniform distribution:", "Uniform;",
     uniformCells, family_rows::uniformMoments,
     family_rows::exactUniformMoments, family_rows::boundedRange,
     family_rows::uniformQuantile, SampleDraw::kUniform, EntryShape::kUniform},
}};

inline constexpr std::size_t kFamilyCount = kFamilies.size();

// Every row sits at its family's index, so results indexed by the family and
// loops over the table agree.
constexpr bool rowsInFamilyOrder() {
  for (std::size_t k = 0; k < kFamilies.size(); ++k) {
    if (static_cast<std::size_t>(kFamilies[k].family) != k) return false;
    if (kFamilies[k].parameterFile !=
        parameterFileOf(kFamilies[k].parameterKind)) {
      return false;
    }
  }
  return true;
}
static_assert(rowsInFamilyOrder(), "kFamilies is indexed by Family");
static_assert(static_cast<std::size_t>(Family::kUniform) + 1 == kFamilyCount,
              "every Family has its row");

inline const FamilyInfo& familyInfo(Family family) {
  return kFamilies[static_cast<std::size_t>(family)];
}

// The n pairs of `values` (2n numbers, as a parameter file holds them).
ParameterPairs splitPairs(const std::vector<double>& values, unsigned n);

// The family's moments of the n entries of its pairs, in equation order.
std::vector<NormalParameters> familyMoments(const FamilyInfo& family,
                                            const ParameterPairs& pairs);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_FAMILY_H_
