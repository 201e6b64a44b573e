#include "output/csv_export.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace linprob {
namespace {

// One line per band: ";<border>;<VALID>;<INVALID>;". The INVALID side is 0
// for a band the approximation did not walk, the VALID side of the tails 0.
void writeTables(const PositionResult& position, std::ostream& out) {
  if (!position.solved()) return;
  const PositionBands& bands = position.valid;
  const bool invalid = position.hasInvalid();
  if (invalid) {
    out << ";<" << bands.min << ";0;" << position.invalid.lowerTail << ';'
        << std::endl;
  }
  for (std::size_t k = 0; k < bands.borders.size(); ++k) {
    const double approx =
        invalid && k < position.invalid.masses.size()
            ? position.invalid.masses[k]
            : 0.0;
    out << ';' << bands.borders[k] << ';' << bands.masses[k] << ';' << approx
        << ';' << std::endl;
  }
  if (invalid) {
    out << ";>" << position.invalid.upperBorder << ";0;"
        << position.invalid.upperTail << ';' << std::endl;
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
  for (int m = 0; m < store.systemCount(); ++m) {
    for (const PivotMode& mode : kPivotModes) {
      const StoredSolution& solution = store.solution(v, m, mode.index);
      out << 'X' << v << ";Matrix_" << m << ';' << mode.csvLabel << std::endl;
      out << "Exact;" << solution.exact << ";;;" << std::endl;
      out << "IntLow;" << solution.intervalLow << ";;;" << std::endl;
      out << "IntHig;" << solution.intervalHigh << ";;;" << std::endl;
      out << std::endl;
      for (const FamilyInfo& family : kFamilies) {
        out << family.csvLabel << "Borders;VALID;INVALID;" << std::endl;
        if (const PositionResult* position =
                store.phase(v, m, mode.index, family.family)) {
          writeTables(*position, out);
        }
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
  for (int v = 0; v < store.unknownCount(); ++v) {
    const std::string target =
        directory + "Results_X" + std::to_string(v) + ".csv";
    if (!writeFile(store, v, target)) {
      failures.push_back(target + ": cannot be written");
    }
  }
  return failures;
}

}  // namespace linprob
