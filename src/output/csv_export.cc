#include "output/csv_export.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/output_file.h"
#include "base/thread_group.h"
#include "output/number_text.h"

namespace linprob {
namespace {

// One line per band: ";<border>;<VALID>;<INVALID>;". The INVALID side is 0
// for a band the approximation did not walk, the VALID side of the tails 0.
void writeTables(const PositionResult& position, std::ostream& out) {
  if (!position.solved()) return;
  const PositionBands& bands = position.valid;
  const bool invalid = position.hasInvalid();
  if (invalid) {
    out << ";<" << SixDigits{bands.min} << ";0;"
        << SixDigits{position.invalid.lowerTail} << ';' << std::endl;
  }
  for (std::size_t k = 0; k < bands.borders.size(); ++k) {
    // A failed (or stopped) stream drops the rest: skip its formatting.
    if (!out) return;
    const double approx =
        invalid && k < position.invalid.masses.size()
            ? position.invalid.masses[k]
            : 0.0;
    out << ';' << SixDigits{bands.borders[k]} << ';'
        << SixDigits{bands.masses[k]} << ';' << SixDigits{approx} << ';'
        << std::endl;
  }
  if (invalid) {
    out << ";>" << SixDigits{position.invalid.upperBorder} << ";0;"
        << SixDigits{position.invalid.upperTail} << ';' << std::endl;
  }
}

// "Results_X<v>.csv" for v in canonical decimal, or nothing.
std::optional<long long> exportedUnknown(std::string_view name) {
  constexpr std::string_view kPrefix = "Results_X";
  constexpr std::string_view kSuffix = ".csv";
  if (name.size() <= kPrefix.size() + kSuffix.size() ||
      name.substr(0, kPrefix.size()) != kPrefix ||
      name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return std::nullopt;
  }
  const std::string_view digits = name.substr(
      kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
  long long v = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (error != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return v;
}

// The line about CSV files in `directory` of unknowns beyond `unknowns`,
// left by an earlier run with more; nothing when there are none.
std::optional<std::string> leftoverLine(const std::string& directory,
                                        int unknowns) {
  std::vector<long long> beyond;
  std::error_code error;
  const std::string folder = directory.empty() ? "." : directory;
  for (std::filesystem::directory_iterator entry(folder, error), end;
       !error && entry != end; entry.increment(error)) {
    const auto v = exportedUnknown(entry->path().filename().native());
    if (v && *v >= unknowns) beyond.push_back(*v);
  }
  if (beyond.empty()) return std::nullopt;
  std::sort(beyond.begin(), beyond.end());
  constexpr std::size_t kMostNamed = 10;
  std::string line = directory + ": left from an earlier run with more "
                     "unknowns (this run has " +
                     std::to_string(unknowns) + "): ";
  for (std::size_t k = 0; k < beyond.size() && k < kMostNamed; ++k) {
    if (k > 0) line += ", ";
    line += "Results_X" + std::to_string(beyond[k]) + ".csv";
  }
  if (beyond.size() > kMostNamed) {
    line += " and " + std::to_string(beyond.size() - kMostNamed) + " more";
  }
  return line;
}

// How the file of one unknown went.
struct FileOutcome {
  bool written = false;  // completed and renamed into place
  std::string failure;   // the line naming it, when it could not be written
};

}  // namespace

void writeCsv(const ResultStore& store, int v, std::ostream& out) {
  for (int m = 0; m < store.systemCount(); ++m) {
    for (const PivotMode& mode : kPivotModes) {
      const StoredSolution& solution = store.solution(v, m, mode.index);
      out << 'X' << v << ";Matrix_" << m << ';' << mode.csvLabel << std::endl;
      // The lower end of the interval replay, as the summary files print it.
      out << "Exact;" << SixDigits{solution.plainReplayLow} << ";;;" << std::endl;
      out << "IntLow;" << SixDigits{solution.intervalLow} << ";;;"
          << std::endl;
      out << "IntHig;" << SixDigits{solution.intervalHigh} << ";;;"
          << std::endl;
      out << std::endl;
      for (const FamilyInfo& family : kFamilies) {
        // A family of a file a system may go without has a block where the
        // system was analysed under it.
        if (!requiredFamilies().test(static_cast<std::size_t>(family.family)) &&
            !store.phaseRun(m, mode.index, family.family).stored) {
          continue;
        }
        out << family.csvLabel << "Borders;VALID;INVALID;";
        // A random matrix's phase says so in the header's last cell.
        const StoredPhase& run = store.phaseRun(m, mode.index, family.family);
        if (run.randomMatrix) {
          out << "random matrix " << run.randomMatrix->file
              << ", INVALID to first order";
        }
        out << std::endl;
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
                    const std::stop_token& stop, unsigned threads) {
  CsvExport result;
  if (!directory.empty()) {
    if (const Status made = makeOutputFolder(directory); !made.ok()) {
      result.failures.push_back(directory + ": " + made.message());
      return result;
    }
  }
  // Each unknown's outcome in its own slot, written by the one thread that
  // took it, read after the join: the lines come out in the unknowns' order
  // whatever the threads.
  const auto unknowns = static_cast<std::size_t>(store.unknownCount());
  std::vector<FileOutcome> outcomes(unknowns);
  std::atomic<std::size_t> next{0};
  const auto writeFiles = [&] {
    for (std::size_t v = next++; v < unknowns; v = next++) {
      const std::string target =
          directory + "Results_X" + std::to_string(v) + ".csv";
      const Status written = writeOutputFile(
          target,
          [&](std::ostream& out) { writeCsv(store, static_cast<int>(v), out); },
          stop);
      FileOutcome& outcome = outcomes[v];
      outcome.written = written.ok();
      // A file a stop cut short is no failure: the run says it stopped.
      if (stop.stop_requested()) return;
      if (!written.ok()) outcome.failure = target + ": " + written.message();
    }
  };
  {
    ThreadGroup group;
    for (unsigned t = 1; t < std::min<std::size_t>(threads, unknowns); ++t) {
      group.start([&](const std::stop_token&) { writeFiles(); });
    }
    writeFiles();
    group.join();
  }
  for (const FileOutcome& outcome : outcomes) {
    if (outcome.written) ++result.written;
    if (!outcome.failure.empty()) result.failures.push_back(outcome.failure);
  }
  if (stop.stop_requested()) {
    result.stopped = true;
    return result;
  }
  result.leftover = leftoverLine(directory, store.unknownCount());
  return result;
}

double csvExportBytes(const RunShape& shape) {
  const double x = kSixDigitChars;
  const auto chars = [](std::string_view text) {
    return static_cast<double>(text.size());
  };
  // Per system and mode: "X<v>;Matrix_<m>;<label>;;" and the three values.
  double mode = 0.0;
  for (const PivotMode& pivot : kPivotModes) {
    mode = std::max(mode, chars(pivot.csvLabel));
  }
  mode += chars("X;Matrix_;\nExact;;;;\nIntLow;;;;\nIntHig;;;;\n\n") +
          indexChars(shape.unknowns) + indexChars(shape.systems) + 3.0 * x;
  // Per family: its header, both tails, a line per band, two empty lines.
  for (const FamilyInfo& family : kFamilies) {
    if (!shape.families.test(static_cast<std::size_t>(family.family))) continue;
    mode += chars(family.csvLabel) + chars("Borders;VALID;INVALID;\n") +
            2.0 * (chars(";<;0;;\n") + 2.0 * x) +
            shape.bands * (chars(";;;;\n") + 3.0 * x) + 2.0;
    if (shape.randomMatrixSystems > 0) {
      mode += chars("random matrix UniformMatice.txt, INVALID to first order");
    }
  }
  return static_cast<double>(shape.unknowns) *
         static_cast<double>(shape.systems) *
         static_cast<double>(kPivotModes.size()) * mode;
}

}  // namespace linprob
