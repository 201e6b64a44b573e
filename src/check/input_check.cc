#include "check/input_check.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>
#include <utility>

#include "base/number_file.h"
#include "check/correlation_check.h"
#include "check/random_matrix_check.h"
#include "distributions/entry_correlation.h"
#include "distributions/family.h"
#include "distributions/parameter_files.h"
#include "distributions/random_matrix_files.h"
#include "check/numeric_check.h"
#include "linear/linear_system.h"
#include "linear/system_files.h"
#include "linear/value_bounds.h"

namespace linprob {
namespace {

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

bool applies(const SettingRule& rule, const RunSettings& settings) {
  switch (rule.scope) {
    case SettingScope::kAlways:
      return true;
    case SettingScope::kEnumeration:
      return settings.ExactDistributions;
    case SettingScope::kSampling:
      return !settings.ExactDistributions;
  }
  return true;
}

long long fieldValue(const SettingRule& rule, const RunSettings& settings) {
  return std::visit(
      [&](auto member) { return static_cast<long long>(settings.*member); },
      rule.field);
}

void setField(const SettingRule& rule, RunSettings& settings,
              long long value) {
  std::visit(
      [&](auto member) {
        using Field = std::remove_reference_t<decltype(settings.*member)>;
        settings.*member = static_cast<Field>(value);
      },
      rule.field);
}

// The index k of a folder name "Matrix<k>" with k in canonical decimal
// (no sign, no leading zero) and below `limit`.
std::optional<int> systemIndex(std::string_view name, int limit) {
  constexpr std::string_view kPrefix = "Matrix";
  if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  const std::string_view digits = name.substr(kPrefix.size());
  if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) {
    return std::nullopt;
  }
  long long index = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    index = index * 10 + (c - '0');
    if (index >= limit) return std::nullopt;
  }
  return static_cast<int>(index);
}

// The line for a system's name that is taken by something other than a
// folder (a file, a FIFO, a link that leads nowhere).
std::string notAFolder(long long index) {
  return "Matrix" + std::to_string(index) + " is not a folder";
}

// What is at the name of a system's folder.
enum class FolderState { kFolder, kMissing, kNotAFolder };

FolderState folderState(int index) {
  const std::string folder = systemFolder(index);
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return FolderState::kFolder;
  return std::filesystem::symlink_status(folder.substr(0, folder.size() - 1),
                                         error)
                     .type() == std::filesystem::file_type::not_found
             ? FolderState::kMissing
             : FolderState::kNotAFolder;
}

// "Matrix<first>/ is missing" or "Matrix<first>/ ... Matrix<last>/ are
// missing".
std::string missingRange(long long first, long long last) {
  return first == last ? systemFolder(first) + " is missing"
                       : systemFolder(first) + " ... " + systemFolder(last) +
                             " are missing";
}

// Adds to `numbers` the families that read `kind`.
void takeIn(ParameterKind kind, SystemNumbers& numbers) {
  for (const FamilyInfo& family : kFamilies) {
    if (family.parameterKind == kind) {
      numbers.families.set(static_cast<std::size_t>(family.family));
    }
  }
}

// Reads the files of one system, whose folder is there, refusing each one
// that is not sound, and hands what could be read to the numerical check.
// Returns what was read, or nothing once `stop` is requested.
std::optional<ReadInputs> checkSystem(int index, const RunConfig& config,
                                      InputCheck& check, bool keepEliminations,
                                      KeptEliminations modes,
                                      NumericFigures& figures,
                                      std::optional<std::uint64_t> runSeed,
                                      const std::stop_token& stop) {
  const std::string folder = systemFolder(index);
  const unsigned n = config.settings().Dimensions;
  ReadInputs inputs;
  inputs.folder = folder;
  inputs.files.system = index;
  inputs.files.n = n;

  // Each file's numbers are counted before they are kept, so a size far
  // beyond the file is refused without reserving memory for it. A file that
  // is not sound is reported once and left empty.
  auto readFile = [&](const std::string& name, std::size_t count,
                      SystemFile file) -> std::optional<std::vector<double>> {
    auto numbers = readNumbers(folder + name, count, stop);
    if (stop.stop_requested()) return std::nullopt;
    if (!numbers.ok()) {
      check.errors.push_back(folder + name + ": " + numbers.status().message());
      return std::nullopt;
    }
    inputs.mark(file);
    return std::move(numbers).value();
  };
  // A file of one line per entry: as many numbers as its first line holds.
  auto readLines = [&](const std::string& name, unsigned least,
                       SystemFile file) -> std::optional<std::vector<double>> {
    auto rows = readRows(folder + name, n, least, stop);
    if (stop.stop_requested()) return std::nullopt;
    if (!rows.ok()) {
      check.errors.push_back(folder + name + ": " + rows.status().message());
      return std::nullopt;
    }
    inputs.mark(file);
    return std::move(rows.value().numbers);
  };
  const std::size_t size = n;
  if (auto matrix = readFile(kMatrixFile, size * size, SystemFile::kMatrix)) {
    inputs.files.matrix = std::move(*matrix);
  }
  if (auto rhs = readFile(kRealRhsFile, size, SystemFile::kRealRhs)) {
    inputs.files.rhs = std::move(*rhs);
  }
  if (auto bounds =
          readFile(kIntervalRhsFile, 2 * size, SystemFile::kIntervalRhs)) {
    if (const Status pairs = checkIntervalPairs(*bounds); !pairs.ok()) {
      check.errors.push_back(folder + kIntervalRhsFile + ": " +
                             pairs.message());
      inputs.read.reset(static_cast<std::size_t>(SystemFile::kIntervalRhs));
    } else {
      inputs.files.intervalRhs.reserve(size);
      for (std::size_t j = 0; j < size; ++j) {
        inputs.files.intervalRhs.push_back(
            ValueBounds{(*bounds)[2 * j], (*bounds)[2 * j + 1]});
      }
    }
  }
  // Each parameter file once, whichever families share it. A file the
  // system may go without adds the families that read it when it is there.
  for (const ParameterKindInfo& kind : kParameterKinds) {
    const SystemFile file = parameterSystemFile(kind.kind);
    std::error_code absent;
    if (kind.presence == Presence::kOptional &&
        std::filesystem::symlink_status(folder + kind.file, absent).type() ==
            std::filesystem::file_type::not_found) {
      inputs.mark(file);
      continue;
    }
    if (kind.presence == Presence::kOptional) takeIn(kind.kind, inputs.files);
    auto numbers = kind.layout == EntryLayout::kLine
                       ? readLines(kind.file, kind.numbersPerEntry, file)
                       : readFile(kind.file, kind.numbersPerEntry * size, file);
    if (!numbers) continue;
    const std::string path = folder + kind.file;
    const std::vector<std::string> problems =
        checkParameters(*numbers, n, kind.kind);
    for (const std::string& p : problems) check.errors.push_back(path + ": " + p);
    if (!problems.empty()) {
      inputs.read.reset(static_cast<std::size_t>(file));
      continue;
    }
    inputs.files.parametersOf(kind.kind) = std::move(*numbers);
  }
  // The entries' correlation, where the system has it.
  std::error_code absent;
  if (std::filesystem::symlink_status(folder + kCorrelationFile, absent)
          .type() != std::filesystem::file_type::not_found) {
    auto r = readNumbers(folder + kCorrelationFile, size * size, stop);
    if (stop.stop_requested()) return std::nullopt;
    if (!r.ok()) {
      check.errors.push_back(folder + kCorrelationFile + ": " +
                             r.status().message());
    } else if (checkCorrelationOf(folder, r.value(), n, check.errors)) {
      inputs.files.correlation = std::move(r).value();
    }
  }
  if (stop.stop_requested()) return std::nullopt;
  // The interval matrix, where the system has it.
  if (std::filesystem::symlink_status(folder + kIntervalMatrixFile, absent)
          .type() != std::filesystem::file_type::not_found) {
    auto pairs = readNumbers(folder + kIntervalMatrixFile, 2 * size * size, stop);
    if (stop.stop_requested()) return std::nullopt;
    if (!pairs.ok()) {
      check.errors.push_back(folder + kIntervalMatrixFile + ": " +
                             pairs.status().message());
    } else if (const Status sound = checkIntervalMatrixPairs(pairs.value(), n);
               !sound.ok()) {
      check.errors.push_back(folder + kIntervalMatrixFile + ": " +
                             sound.message());
    } else {
      const std::vector<double>& ends = pairs.value();
      for (std::size_t k = 0; k + 1 < ends.size(); k += 2) {
        inputs.files.intervalMatrix.push_back(ValueBounds{ends[k], ends[k + 1]});
      }
    }
  }
  // The random matrices, where the system has them.
  for (const RandomMatrixFile& random : kRandomMatrixFiles) {
    const std::string path = folder + random.file;
    if (std::filesystem::symlink_status(path, absent).type() ==
        std::filesystem::file_type::not_found) {
      continue;
    }
    const std::size_t width = kindInfo(random.kind).numbersPerEntry;
    auto numbers = readNumbers(path, width * size * size, stop);
    if (stop.stop_requested()) return std::nullopt;
    if (!numbers.ok()) {
      check.errors.push_back(path + ": " + numbers.status().message());
      continue;
    }
    const std::vector<std::string> problems =
        checkRandomMatrix(numbers.value(), n, random.kind);
    for (const std::string& p : problems) check.errors.push_back(path + ": " + p);
    if (problems.empty()) {
      inputs.files.randomMatrix[static_cast<std::size_t>(random.kind)] =
          std::move(numbers).value();
    }
  }
  checkRandomMatrixUse(folder, inputs.files, config, check.errors);

  inputs.files.conditionEstimate =
      checkNumerics(inputs, config, check, stop,
                    keepEliminations ? &inputs.eliminated : nullptr, modes,
                    &figures, runSeed);
  if (stop.stop_requested()) return std::nullopt;
  return inputs;
}

}  // namespace

SettingsCheck checkSettings(const RunSettings& asRead,
                            const SettingsReadResult& read) {
  SettingsCheck check;
  check.settings = asRead;
  RunSettings& settings = check.settings;
  for (std::size_t k = 0; k < kSettings.size(); ++k) {
    const SettingRule& rule = kSettings[k];
    if (!applies(rule, settings)) continue;
    const std::optional<WrittenValue>& written = read.written[k];
    const long long value = written ? written->value : fieldValue(rule, settings);
    const std::string text = written ? written->text : std::to_string(value);
    const std::string option = "Settings.txt: " + std::string(rule.name) + " " + text;
    if (value < rule.least) {
      if (rule.below == BelowLeast::kRaised) {
        const std::string least = std::to_string(rule.least);
        check.warnings.push_back(option + " is below " + least + "; using " + least);
        setField(rule, settings, rule.least);
      } else {
        check.errors.push_back(option + ": " + rule.belowReason);
      }
    } else if (value > rule.most) {
      check.errors.push_back(option + ": " + rule.aboveReason);
    }
  }
  if (check.errors.empty() && settings.ExactDistributions &&
      !jobCountFits(settings.IntegrationPrecision, settings.Dimensions)) {
    check.errors.push_back(
        "Settings.txt: IntegrationPrecision " +
        std::to_string(settings.IntegrationPrecision) +
        " to the power Dimensions " + std::to_string(settings.Dimensions) +
        " is too many jobs to count in 64 bits");
  }
  return check;
}

SystemFolders findSystemFolders(int maxMatrix) {
  SystemFolders folders;
  int highest = -1;
  // The names of system folders taken by something else; at most one per
  // entry of the folder.
  std::vector<int> others;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(".", error), end;
       !error && entry != end; entry.increment(error)) {
    const auto index = systemIndex(entry->path().filename().native(), maxMatrix);
    if (!index) continue;
    std::error_code statusError;
    if (std::filesystem::is_directory(entry->path(), statusError)) {
      highest = std::max(highest, *index);
    } else {
      others.push_back(*index);
    }
  }
  folders.present = highest + 1;
  // Beyond the last folder: the missing ranges, broken by the names taken
  // by something other than a folder, in order.
  std::sort(others.begin(), others.end());
  long long next = folders.present;
  for (const int other : others) {
    if (other < folders.present) continue;
    if (other > next) folders.missingTail.push_back(missingRange(next, other - 1));
    folders.missingTail.push_back(notAFolder(other));
    next = static_cast<long long>(other) + 1;
  }
  if (next < maxMatrix) {
    folders.missingTail.push_back(
        missingRange(next, static_cast<long long>(maxMatrix) - 1));
  }
  return folders;
}

RunInputsCheck checkRunInputs(const RunConfig& config, int systemCount,
                              const std::stop_token& stop,
                              FirstElimination first,
                              std::optional<std::uint64_t> runSeed) {
  RunInputsCheck check;
  const bool keep =
      keptEliminationBytes(config.settings().Dimensions, systemCount) > 0;
  // Folders missing between present ones are one line per run of them,
  // not one per input file. kNoneMissing: no run of them is open (a plain
  // int: GCC 12 takes an optional's value here for uninitialised).
  constexpr int kNoneMissing = -1;
  int missingSince = kNoneMissing;
  const auto sayMissing = [&](int last) {
    if (missingSince == kNoneMissing) return;
    check.errors.push_back(missingRange(missingSince, last));
    missingSince = kNoneMissing;
  };
  for (int i = 0; i < systemCount && !stop.stop_requested(); ++i) {
    const FolderState state = folderState(i);
    if (state == FolderState::kMissing) {
      if (missingSince == kNoneMissing) missingSince = i;
      continue;
    }
    sayMissing(i - 1);
    if (state == FolderState::kNotAFolder) {
      check.errors.push_back(notAFolder(i));
      continue;
    }
    const bool firstAlone =
        !keep && i == 0 && first == FirstElimination::kAlwaysKept;
    NumericFigures figures;
    std::optional<ReadInputs> read = checkSystem(
        i, config, check, keep || firstAlone,
        firstAlone ? KeptEliminations::kFirst : KeptEliminations::kEvery,
        figures, runSeed, stop);
    if (read && read->read.all()) {
      check.systems.push_back(std::move(read->files));
      check.eliminated.push_back(std::move(read->eliminated));
      check.figures.push_back(figures);
    }
  }
  if (!stop.stop_requested()) sayMissing(systemCount - 1);
  return check;
}

}  // namespace linprob
