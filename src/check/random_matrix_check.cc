#include "check/random_matrix_check.h"

#include <cmath>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

#include "check/check_replay.h"
#include "check/numeric_check.h"
#include "distributions/point_kinds.h"
#include "distributions/random_matrix_files.h"
#include "linear/sample_elimination.h"
#include "distributions/sobol_points.h"

namespace linprob {
namespace {

// Why the mean matrix cannot serve the samples (their pivots are compared
// with its, and the first-order approximation is taken at it): the first
// mode under which the singularity rule refuses it.
std::optional<std::string> singularMeanMatrix(
    const std::vector<double>& numbers, unsigned n, ParameterKind kind) {
  const FamilyInfo* family = nullptr;
  for (const FamilyInfo& info : kFamilies) {
    if (family == nullptr && info.parameterKind == kind) family = &info;
  }
  if (family == nullptr) return std::nullopt;
  const std::vector<double> means = meanMatrixOf(*family, numbers);
  const std::vector<double> zeros(n, 0.0);
  for (const PivotMode& mode : kPivotModes) {
    SampleElimination solver(n, mode, kSingularCondition);
    if (solver.solve(means.data(), zeros.data(), 1) ==
        SampleOutcome::kRefused) {
      return std::string("its mean matrix is singular or its condition "
                         "number above 1e15") +
             underMode(mode) +
             ": the samples' pivots and the first-order approximation are "
             "taken from it";
    }
  }
  return std::nullopt;
}

}  // namespace

void checkRandomMatrixUse(const std::string& folder,
                          const SystemNumbers& numbers,
                          const RunConfig& config,
                          std::vector<std::string>& errors) {
  const unsigned n = numbers.n;
  const std::size_t entries = std::size_t{n} * n + n;
  for (const RandomMatrixFile& random : kRandomMatrixFiles) {
    if (numbers.randomMatrixOf(random.kind).empty()) continue;
    const std::string path = folder + random.file;
    if (const std::optional<std::string> singular =
            singularMeanMatrix(numbers.randomMatrixOf(random.kind), n,
                               random.kind)) {
      errors.push_back(path + ": " + *singular);
    }
    if (config.points() == PointKind::kEnumeration) {
      const int cells = config.settings().IntegrationPrecision;
      const PhaseJobs jobs = phaseJobsOf(PointKind::kEnumeration,
                                         static_cast<unsigned>(entries), cells);
      if (jobs.jobs == std::numeric_limits<std::uint64_t>::max()) {
        char about[32];
        std::snprintf(about, sizeof about, "%.2g",
                      std::pow(static_cast<double>(cells),
                               static_cast<double>(entries)));
        errors.push_back(path + ": enumerating its entries' and the "
                         "right-hand side's " + std::to_string(cells) +
                         " cells each would take " + std::to_string(cells) +
                         "^" + std::to_string(entries) + " (about " + about +
                         ") combinations, too many to count in 64 bits: "
                         "sample it (ExactDistributions 0, or --points "
                         "random, sobol or lhs)");
      }
    }
    if (numbers.correlated()) {
      errors.push_back(path + ": a random matrix with correlated entries of "
                       "the right-hand side (Correlation.txt) is not "
                       "analysed: their correlation is of the right-hand "
                       "side alone");
    }
    if (config.points() == PointKind::kSobol &&
        entries > kSobolMaxDimensions) {
      errors.push_back(path + ": sobol points have at most " +
                       std::to_string(kSobolMaxDimensions) +
                       " coordinates and a random matrix of " +
                       std::to_string(n) + " unknowns with its right-hand "
                       "side needs " + std::to_string(entries) +
                       ": use --points random or lhs");
    }
  }
}

}  // namespace linprob
