// RunInfo: what the reports say of a run as a whole: how it ran (enumeration
// or sampling), its eight settings as used (after the start-of-run check
// raised any count), the jobs of every phase, its wall time and the folder of
// its CSV export.
#ifndef LINPROB_RESULTS_RUN_INFO_H_
#define LINPROB_RESULTS_RUN_INFO_H_

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace linprob {

struct SettingValue {
  std::string name;                         // "Dimensions" ...
  std::variant<std::int64_t, bool> value;   // the bool: ExactDistributions
};

struct RunInfo {
  bool enumerate = true;
  std::vector<SettingValue> settings;  // in the order of Settings.txt
  std::uint64_t jobsPerPhase = 0;
  double wallTimeSeconds = 0.0;
  std::string exportFolder;            // "Export/" or "ExportApprox/"
};

}  // namespace linprob

#endif  // LINPROB_RESULTS_RUN_INFO_H_
