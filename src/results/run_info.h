// RunInfo: what the reports say of a run as a whole: how it ran (enumeration
// or sampling), its eight settings as used (after the start-of-run check
// raised any count), the jobs of every phase, its wall time, the folder of
// its CSV export, the files of its Report/ and the seed its phases' seeds
// were made from.
#ifndef LINPROB_RESULTS_RUN_INFO_H_
#define LINPROB_RESULTS_RUN_INFO_H_

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace linprob {

struct SettingValue {
  std::string name;                         // "Dimensions" ...
  std::variant<std::int64_t, bool> value;   // the bool: ExactDistributions
};

struct RunInfo {
  std::string kind = "enumeration";  // the job source: "sampling" ...
  // A sampling run's points ("random", "sobol", "lhs"); empty in
  // enumeration.
  std::string points;
  std::vector<SettingValue> settings;  // in the order of Settings.txt
  std::uint64_t jobsPerPhase = 0;
  double wallTimeSeconds = 0.0;
  std::string exportFolder;            // "Export/" or "ExportApprox/"
  // The files of Report/ besides its pages ("results.nc", ...), in the
  // order they are taken up.
  std::vector<std::string> reportFiles;
  // --seed, or the seed a sampling run drew; none in enumeration unless
  // given.
  std::optional<std::uint64_t> seed;
};

}  // namespace linprob

#endif  // LINPROB_RESULTS_RUN_INFO_H_
