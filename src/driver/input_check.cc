#include "driver/input_check.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>
#include <utility>

#include "base/number_file.h"
#include "distributions/family.h"
#include "distributions/parameter_files.h"
#include "driver/numeric_check.h"
#include "linear/linear_system.h"
#include "linear/system_files.h"

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

std::string folderName(long long index) {
  return "Matrix" + std::to_string(index) + "/";
}

// Reads the files of one system, refusing each one that is not sound, and
// hands what could be read to the numerical check.
void checkSystem(const std::string& folder, const RunSettings& settings,
                 InputCheck& check) {
  const unsigned n = settings.Dimensions;
  ReadInputs inputs;
  inputs.folder = folder;

  // The numbers are counted before an n x n matrix is allocated, so a size
  // far beyond the file is refused without reserving memory for it.
  const std::string matrixPath = folder + "Matice.txt";
  if (const auto file = readNumbers(matrixPath, std::size_t{n} * n); !file.ok()) {
    check.errors.push_back(matrixPath + ": " + file.status().message());
  } else {
    LinearSystem loaded(n);
    if (const Status status = loadMatrix(matrixPath, loaded); !status.ok()) {
      check.errors.push_back(matrixPath + ": " + status.message());
    } else {
      inputs.matrix = std::move(loaded);
    }
  }

  std::vector<Interval> rhs;
  if (const Status real = loadRealRhs(folder + "RealRHS.txt", n, rhs); !real.ok()) {
    check.errors.push_back(folder + "RealRHS.txt: " + real.message());
  } else {
    inputs.real = std::move(rhs);
  }
  rhs.clear();
  if (const Status box = loadIntervalRhs(folder + "IntRHS.txt", n, rhs); !box.ok()) {
    check.errors.push_back(folder + "IntRHS.txt: " + box.message());
  } else {
    inputs.intervals = std::move(rhs);
  }

  // Each parameter file once, whichever families share it.
  for (std::size_t k = 0; k < kParameterKindCount; ++k) {
    const auto kind = static_cast<ParameterKind>(k);
    const std::string path = folder + parameterFileOf(kind);
    const std::vector<std::string> problems = checkParameterFile(path, n, kind);
    for (const std::string& p : problems) check.errors.push_back(path + ": " + p);
    if (!problems.empty()) continue;
    auto pairs = readNumbers(path, 2 * std::size_t{n});
    if (!pairs.ok()) continue;  // changed since it was checked
    inputs.pairs[k] = std::move(pairs).value();
  }

  checkNumerics(inputs, settings, check);
}

}  // namespace

SettingsCheck checkSettings(RunSettings& settings,
                            const SettingsReadResult& read) {
  SettingsCheck check;
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
  std::error_code error;
  for (std::filesystem::directory_iterator entry(".", error), end;
       !error && entry != end; entry.increment(error)) {
    const auto index = systemIndex(entry->path().filename().native(), maxMatrix);
    std::error_code statusError;
    if (index && *index > highest &&
        std::filesystem::is_directory(entry->path(), statusError)) {
      highest = *index;
    }
  }
  folders.present = highest + 1;
  if (folders.present < maxMatrix) {
    const long long first = folders.present;
    const long long last = static_cast<long long>(maxMatrix) - 1;
    folders.missingTail =
        first == last ? folderName(first) + " is missing"
                      : folderName(first) + " ... " + folderName(last) +
                            " are missing";
  }
  return folders;
}

InputCheck checkRunInputs(const RunSettings& settings, int systemCount,
                          const std::stop_token& stop) {
  InputCheck check;
  for (int i = 0; i < systemCount && !stop.stop_requested(); ++i) {
    checkSystem(folderName(i), settings, check);
  }
  return check;
}

}  // namespace linprob
