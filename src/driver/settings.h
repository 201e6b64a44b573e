// RunSettings: the eight options of a run, read from "Settings.txt".
//
// The file holds eight label-value pairs in the order of kSettings. A label
// is any one word (never compared with anything); a value is read by
// formatted extraction of the field's type, the bool only as 0 or 1. Line
// structure carries no meaning and text after the eighth value is ignored.
// When the file ends early or holds a malformed value, that option and every
// later one keep their defaults.
#ifndef LINPROB_DRIVER_SETTINGS_H_
#define LINPROB_DRIVER_SETTINGS_H_

#include <array>
#include <string>
#include <variant>
#include <vector>

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
};

using SettingField = std::variant<unsigned RunSettings::*, int RunSettings::*,
                                  bool RunSettings::*>;

// One option: its name in messages and the field it fills, in file order.
struct SettingSpec {
  const char* name;
  SettingField field;
};

inline const std::array<SettingSpec, 8> kSettings = {{
    {"Dimensions", &RunSettings::Dimensions},
    {"SolverThreadCount", &RunSettings::SolverThreadCount},
    {"GeneratorThreadCount", &RunSettings::GeneratorThreadCount},
    {"IntegrationPrecision", &RunSettings::IntegrationPrecision},
    {"HistogramPrecision", &RunSettings::HistogramPrecision},
    {"MaxMatrix", &RunSettings::MaxMatrix},
    {"ExactDistributions", &RunSettings::ExactDistributions},
    {"SampleCount", &RunSettings::SampleCount},
}};

struct SettingsReadResult {
  bool fileFound = false;
  // Names of the options that were not read from a present file and kept
  // their defaults (empty when all eight were read or the file is absent).
  std::vector<std::string> keptDefaults;
};

// Reads `path` into `settings`, whose fields hold the defaults on entry.
// Prints nothing.
SettingsReadResult readSettings(const std::string& path,
                                RunSettings& settings);

}  // namespace linprob

#endif  // LINPROB_DRIVER_SETTINGS_H_
