#include "driver/input_check.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>

#include "base/number_file.h"
#include "distributions/family.h"
#include "distributions/parameter_files.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "linear/system_files.h"

namespace linprob {
namespace {

std::string raisedWarning(const char* name, int value) {
  std::ostringstream message;
  message << "Settings.txt: " << name << " " << value
          << " is below 1; using 1";
  return message.str();
}

// Whether cellCount^n fits in 64 bits.
bool jobCountFits(int cellCount, unsigned n) {
  if (cellCount <= 1) return true;
  std::uint64_t count = 1;
  const auto base = static_cast<std::uint64_t>(cellCount);
  for (unsigned k = 0; k < n; ++k) {
    if (count > std::numeric_limits<std::uint64_t>::max() / base) return false;
    count *= base;
  }
  return true;
}

void checkMatrix(const std::string& path, unsigned n,
                 std::vector<std::string>& problems) {
  // The numbers are counted before an n x n matrix is allocated, so a size
  // far beyond the file is refused without reserving memory for it.
  const auto file = readNumbers(path, std::size_t{n} * n);
  if (!file.ok()) {
    problems.push_back(path + ": " + file.status().message());
    return;
  }
  LinearSystem loaded(n);
  if (const Status status = loadMatrix(path, loaded); !status.ok()) {
    problems.push_back(path + ": " + status.message());
    return;
  }
  for (const PivotMode& mode : kPivotModes) {
    LinearSystem system = loaded;
    system.eliminate(mode);
    if (const auto fault = findPivotFault(system)) {
      std::ostringstream message;
      message << path << ": cannot be eliminated under pivoting mode "
              << mode.index << " (" << mode.plainName
              << "): zero or non-finite pivot at position " << fault->position;
      problems.push_back(message.str());
    }
  }
}

}  // namespace

SettingsCheck checkSettings(RunSettings& settings) {
  SettingsCheck check;
  if (settings.Dimensions == 0) {
    check.errors.push_back(
        "Settings.txt: Dimensions is 0; a system needs at least one unknown");
  } else if (settings.Dimensions > kMaxDimensions) {
    std::ostringstream message;
    message << "Settings.txt: Dimensions " << settings.Dimensions
            << " is too large; at most " << kMaxDimensions
            << " unknowns are supported";
    check.errors.push_back(message.str());
  }
  if (settings.ExactDistributions &&
      !jobCountFits(settings.IntegrationPrecision, settings.Dimensions)) {
    std::ostringstream message;
    message << "Settings.txt: IntegrationPrecision " << settings.IntegrationPrecision
            << " to the power Dimensions " << settings.Dimensions
            << " is too many jobs to count in 64 bits";
    check.errors.push_back(message.str());
  }
  if (settings.SolverThreadCount < 1) {
    check.warnings.push_back(
        raisedWarning("SolverThreadCount", settings.SolverThreadCount));
    settings.SolverThreadCount = 1;
  }
  if (settings.ExactDistributions && settings.GeneratorThreadCount < 1) {
    check.warnings.push_back(
        raisedWarning("GeneratorThreadCount", settings.GeneratorThreadCount));
    settings.GeneratorThreadCount = 1;
  }
  if (settings.HistogramPrecision < 1) {
    check.warnings.push_back(
        raisedWarning("HistogramPrecision", settings.HistogramPrecision));
    settings.HistogramPrecision = 1;
  }
  return check;
}

std::vector<std::string> checkRunInputs(const RunSettings& settings) {
  std::vector<std::string> problems;
  const unsigned n = settings.Dimensions;
  for (int i = 0; i < settings.MaxMatrix; ++i) {
    const std::string folder = "Matrix" + std::to_string(i) + "/";
    checkMatrix(folder + "Matice.txt", n, problems);

    std::vector<Interval> rhs;
    const Status real = loadRealRhs(folder + "RealRHS.txt", n, rhs);
    if (!real.ok()) problems.push_back(folder + "RealRHS.txt: " + real.message());
    rhs.clear();
    const Status box = loadIntervalRhs(folder + "IntRHS.txt", n, rhs);
    if (!box.ok()) problems.push_back(folder + "IntRHS.txt: " + box.message());

    // Each parameter file once: the triangular family reads the uniform
    // family's file.
    for (const Family f : {Family::kNormal, Family::kUniform}) {
      const FamilyInfo& family = familyInfo(f);
      const std::string path = folder + family.parameterFile;
      for (const std::string& p :
           checkParameterFile(path, n, family.parameterKind)) {
        problems.push_back(path + ": " + p);
      }
    }
  }
  return problems;
}

}  // namespace linprob
