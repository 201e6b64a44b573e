// RunSettings: the eight options of a run, read from "Settings.txt".
//
// The file holds eight label-value pairs in the order of kSettings. A label
// is any one word; values are read by position, and a label that names
// another of the eight options than the one read at its place earns one
// warning line for the file, and so do labels that read as numbers. A value is one whole token: an optionally signed
// decimal whole number ("4.5", "5,5", "7abc" are malformed, and so is a
// negative value of the unsigned Dimensions), the bool only as 0 or 1. Line
// structure carries no meaning, a UTF-8 byte-order mark is skipped, and text
// after the eighth value is ignored. When the file ends early, every option
// not read keeps its default.
//
// The bounds a run accepts live in kSettings beside each option's name and
// field; checkSettings (check/input_check.h) applies them.
#ifndef LINPROB_CONFIG_SETTINGS_H_
#define LINPROB_CONFIG_SETTINGS_H_

#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "distributions/point_kinds.h"
#include "solve/counting_plan.h"

namespace linprob {

// The defaults are the member initialisers, and nowhere else.
struct RunSettings {
  unsigned Dimensions = 4;
  int SolverThreadCount = 1;
  int GeneratorThreadCount = 2;
  int IntegrationPrecision = 50;
  int HistogramPrecision = 10;
  int MaxMatrix = 5;
  bool ExactDistributions = true;
  int SampleCount = 100000;
  // Not a line of Settings.txt: the points of a sampling phase, from the
  // command line (--points; a kind that samples). pointKindFor
  // (config/phase_settings.h) joins it with ExactDistributions.
  PointKind points = PointKind::kRandom;
  // Not a line of Settings.txt either: --digits D, sampling until D
  // significant digits are stable (results/digits_rule.h).
  std::optional<int> digits;
  // Nor these: how enumeration phases count (--counting) and the bytes
  // counting by halves may take (--halves-memory).
  CountingChoice counting = CountingChoice::kCheaper;
  std::uint64_t halvesMemory = kDefaultHalvesMemory;
};

using SettingField = std::variant<unsigned RunSettings::*, int RunSettings::*,
                                  bool RunSettings::*>;

// Which runs an option's bounds apply to.
enum class SettingScope { kAlways, kEnumeration, kSampling };
// What a value below the least one does.
enum class BelowLeast {
  kRefused,  // the run does not start
  kRaised,   // a warning, and the least value is used
};

// The largest number of unknowns a run accepts.
inline constexpr unsigned kMaxDimensions = 100000;
inline constexpr long long kMaxThreads = 1024;

// One option: its name in messages, the field it fills (in file order) and
// the values a run accepts, least ... most, with the reason a value outside
// them is refused (it follows "Settings.txt: <name> <value>: ").
struct SettingRule {
  const char* name;
  SettingField field;
  long long least;
  long long most;
  SettingScope scope;
  BelowLeast below;
  const char* belowReason;  // when below == kRefused
  const char* aboveReason;
};

inline const std::array<SettingRule, 8> kSettings = {{
    {"Dimensions", &RunSettings::Dimensions, 1, kMaxDimensions,
     SettingScope::kAlways, BelowLeast::kRefused,
     "a system needs at least one unknown",
     "at most 100000 unknowns are supported"},
    {"SolverThreadCount", &RunSettings::SolverThreadCount, 1, kMaxThreads,
     SettingScope::kAlways, BelowLeast::kRaised, "",
     "at most 1024 threads are supported"},
    {"GeneratorThreadCount", &RunSettings::GeneratorThreadCount, 1,
     kMaxThreads, SettingScope::kEnumeration, BelowLeast::kRaised, "",
     "at most 1024 threads are supported"},
    {"IntegrationPrecision", &RunSettings::IntegrationPrecision, 1, 1000000,
     SettingScope::kEnumeration, BelowLeast::kRefused,
     "at least one cell per entry is needed",
     "at most 1000000 cells per entry are supported"},
    {"HistogramPrecision", &RunSettings::HistogramPrecision, 1, 1000000,
     SettingScope::kAlways, BelowLeast::kRaised, "",
     "at most 1000000 bands are supported"},
    {"MaxMatrix", &RunSettings::MaxMatrix, 1, INT_MAX, SettingScope::kAlways,
     BelowLeast::kRefused, "at least one system is needed",
     "at most 2147483647 systems are supported"},
    {"ExactDistributions", &RunSettings::ExactDistributions, 0, 1,
     SettingScope::kAlways, BelowLeast::kRefused, "", ""},
    {"SampleCount", &RunSettings::SampleCount, 1, INT_MAX,
     SettingScope::kSampling, BelowLeast::kRefused,
     "at least one sample is needed",
     "at most 2147483647 samples are supported"},
}};

// One value as the file holds it: the number (saturated to the range of
// long long) and its text.
struct WrittenValue {
  long long value = 0;
  std::string text;
};

struct SettingsReadResult {
  bool fileFound = false;
  // Names of the options a present file ended before (they keep their
  // defaults); empty when all eight were read or the file is absent.
  std::vector<std::string> unreadOptions;
  // Problems that keep the run from starting, each a whole line: a file
  // that cannot be read, a malformed value.
  std::vector<std::string> errors;
  // Empty, or the one line about labels at other options' places.
  std::string labelWarning;
  // Empty, or the one line about labels that read as numbers, as when the
  // file holds values without labels (the run goes on with what was read).
  std::string valueLabelWarning;
  // Per option in kSettings order: the well-formed value the file held.
  std::array<std::optional<WrittenValue>, 8> written;
};

// Reads `path` into `settings`, whose fields hold the defaults on entry. A
// field takes a value from the file only when it is well formed and fits the
// field's type; values outside the bounds are left to checkSettings. An
// absent file ("missing") is not an error: fileFound stays false. Messages
// begin with `path`:
//   "Settings.txt: Permission denied", "Settings.txt: is not a regular file"
//   "Settings.txt: Dimensions \"4.5\" is not an unsigned whole number"
//   "Settings.txt: SolverThreadCount \"5,5\" is not a whole number"
//   "Settings.txt: ExactDistributions \"true\" is not 0 or 1"
//   "Settings.txt: values are read by position; these labels name other
//    options: SolverThreadCount at the place of Dimensions, ..."
//   "Settings.txt: labels that look like values: \"4\" as the label of
//    Dimensions, ...; every value is read after its label, so a file of
//    values alone shifts them all"
// Prints nothing.
SettingsReadResult readSettings(const std::string& path,
                                RunSettings& settings);

}  // namespace linprob

#endif  // LINPROB_CONFIG_SETTINGS_H_
