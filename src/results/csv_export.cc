#include "results/csv_export.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace linprob {
namespace {

// Mode labels carry their own two trailing semicolons: with "X<v>;Matrix_<m>;"
// in front the header line has the four of every non-empty line.
constexpr const char* kModeLabels[4] = {"NoPivot;;", "RowPivot;;",
                                        "ColPivot;;", "RowColPivot;;"};
constexpr const char* kDistributionLabels[3] = {"Triangular;", "Normal;",
                                                "Uniform;"};

void writeMap(const ProbabilityMap& map, const char* keyPrefix,
              std::ostream& out) {
  for (const auto& [key, probabilities] : map) {
    out << ';' << keyPrefix << key << ';' << probabilities.first << ';'
        << probabilities.second << ';' << std::endl;
  }
}

// Writes one unknown's file to its temporary name and renames it into place.
// Returns false when any of that fails, leaving no temporary file behind.
bool writeFile(const ResultStore& store, int v, const std::string& target) {
  const std::string temporary = target + ".tmp";
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::out | std::ios::trunc);
    if (out.is_open()) {
      writeCsv(store, v, out);
      out.close();
      written = !out.fail();
    }
  }
  std::error_code error;
  if (written) {
    std::filesystem::rename(temporary, target, error);
    if (!error) return true;
  }
  // Only a plain file of ours is removed; anything else under that name was
  // never created here.
  if (std::filesystem::is_regular_file(temporary, error)) {
    std::filesystem::remove(temporary, error);
  }
  return false;
}

}  // namespace

void writeCsv(const ResultStore& store, int v, std::ostream& out) {
  // A run's store has four modes and three distributions; there are labels
  // for no more than that.
  const int modeCount = std::min(store.pivotModeCount, 4);
  const int distributionCount = std::min(store.distributionCount, 3);
  for (int m = 0; m < store.matrixCount; ++m) {
    for (int p = 0; p < modeCount; ++p) {
      out << 'X' << v << ";Matrix_" << m << ';' << kModeLabels[p]
          << std::endl;
      out << "Exact;" << store.exactValue[v][m][p] << ";;;" << std::endl;
      out << "IntLow;" << store.intervalLow[v][m][p] << ";;;" << std::endl;
      out << "IntHig;" << store.intervalHigh[v][m][p] << ";;;" << std::endl;
      out << std::endl;
      for (int d = 0; d < distributionCount; ++d) {
        out << kDistributionLabels[d] << "Borders;VALID;INVALID;"
            << std::endl;
        writeMap(store.lowerTail[v][m][p][d], "<", out);
        writeMap(store.bins[v][m][p][d], "", out);
        writeMap(store.upperTail[v][m][p][d], ">", out);
        out << std::endl;
        out << std::endl;
      }
    }
  }
}

std::vector<std::string> exportCsv(const ResultStore& store,
                                   const std::string& directory) {
  std::vector<std::string> failures;
  if (!directory.empty()) {
    std::error_code error;
    // The return value is not trusted (a trailing "/" can make it false even
    // when the folder was made): what counts is whether the folder exists.
    std::filesystem::create_directories(directory, error);
    if (!std::filesystem::is_directory(directory, error)) {
      failures.push_back(directory + ": cannot be created");
      return failures;
    }
  }
  for (int v = 0; v < store.variableCount; ++v) {
    const std::string target =
        directory + "Results_X" + std::to_string(v) + ".csv";
    if (!writeFile(store, v, target)) {
      failures.push_back(target + ": cannot be written");
    }
  }
  return failures;
}

}  // namespace linprob
