// Family: the three families of right-hand-side distributions, in the order a
// system runs their phases (which is also their index in results): the
// symmetric triangular and the uniform family on the (lower, upper) pairs of
// "UniformRHS.txt", the normal family on the (mean, variance) pairs of
// "NormalRHS.txt".
//
// Every name and line that depends on the family lives in kFamilies, once.
// The VALID header of the triangular family is spelled "Triangluar", as the
// summary files have always had it.
#ifndef LINPROB_DISTRIBUTIONS_FAMILY_H_
#define LINPROB_DISTRIBUTIONS_FAMILY_H_

#include <array>
#include <string>
#include <vector>

#include "base/status.h"
#include "linear/normal_parameters.h"

namespace linprob {

enum class Family { kTriangular = 0, kNormal = 1, kUniform = 2 };

// What the pairs of a parameter file mean.
enum class ParameterKind {
  kNormal,  // (mean, variance)
  kBounds,  // (lower end, upper end)
};

struct FamilyInfo {
  Family family;
  const char* name;           // "Triangular", "Normal", "Uniform"
  const char* parameterFile;  // read for the jobs and for the moments
  ParameterKind parameterKind;
  const char* startLine;      // console, before "Matrix: <i>"
  const char* modeWord;       // console, between the index and the flags
  const char* sortingLine;    // console, after the jobs are solved
  const char* validHeader;    // summary file
  const char* invalidHeader;  // summary file
  const char* csvLabel;       // CSV export, with its semicolon
};

inline constexpr std::array<FamilyInfo, 3> kFamilies = {{
    {Family::kTriangular, "Triangular", "UniformRHS.txt", ParameterKind::kBounds,
     "Calculating results for Triangular Distribution...", " Mode ",
     "Sorting results for Triangular Distribution...",
     "Results for the Triangluar distribution:",
     "INVALID Results for the Triangular distribution:", "Triangular;"},
    {Family::kNormal, "Normal", "NormalRHS.txt", ParameterKind::kNormal,
     "Calculating results for Normal Distribution...", " Mode ",
     "Sorting results for Normal Distribution...",
     "Results for the Normal distribution:",
     "INVALID Results for the Normal distribution:", "Normal;"},
    {Family::kUniform, "Uniform", "UniformRHS.txt", ParameterKind::kBounds,
     "Calculating results for Uniform Distribution...", " Mode",
     "Sorting results for Uniform Distribution...",
     "Results for the Uniform distribution:",
     "INVALID Results for the Uniform distribution:", "Uniform;"},
}};

inline const FamilyInfo& familyInfo(Family family) {
  return kFamilies[static_cast<std::size_t>(family)];
}

// The mean and variance of one entry from its pair (p, q): normal (p, q) as
// read; triangular ((p + q) / 2, (q - p)^2 / 24); uniform ((p + q) / 2,
// (q - p)^2 / 12).
NormalParameters familyMoments(Family family, double p, double q);

// The moments of the n entries of a parameter file, in equation order.
Result<std::vector<NormalParameters>> readFamilyMoments(
    Family family, const std::string& path, unsigned n);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_FAMILY_H_
