#include "output/csv_export.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/output_file.h"

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
// Ok, or why not ("cannot be written: Is a directory"); no temporary is
// left behind either way.
Status writeFile(const ResultStore& store, int v, const std::string& target) {
  OutputFile file(target);
  if (Status opened = file.open(); !opened.ok()) return opened;
  writeCsv(store, v, file.stream());
  return file.commit();
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

CsvExport exportCsv(const ResultStore& store, const std::string& directory,
                    const std::stop_token& stop) {
  CsvExport result;
  std::vector<std::string>& failures = result.failures;
  if (!directory.empty()) {
    std::error_code error;
    // The return value is not trusted (a trailing "/" can make it false even
    // when the folder was made): what counts is whether the folder exists.
    std::filesystem::create_directories(directory, error);
    if (!std::filesystem::is_directory(directory, error)) {
      failures.push_back(directory + ": cannot be created");
      return result;
    }
  }
  for (int v = 0; v < store.unknownCount(); ++v) {
    if (stop.stop_requested()) {
      result.stopped = true;
      break;
    }
    const std::string target =
        directory + "Results_X" + std::to_string(v) + ".csv";
    if (const Status written = writeFile(store, v, target); !written.ok()) {
      failures.push_back(target + ": " + written.message());
    } else {
      ++result.written;
    }
  }
  return result;
}

}  // namespace linprob
