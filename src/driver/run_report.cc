#include "driver/run_report.h"

#include <type_traits>
#include <utility>
#include <variant>

#include "output/report_folder.h"

namespace linprob {

std::uint64_t jobsPerPhase(const RunSettings& settings) {
  if (!settings.ExactDistributions) {
    return settings.SampleCount > 0
               ? static_cast<std::uint64_t>(settings.SampleCount)
               : 0;
  }
  if (settings.IntegrationPrecision <= 0) return 0;
  const auto cells = static_cast<std::uint64_t>(settings.IntegrationPrecision);
  std::uint64_t jobs = 1;
  for (unsigned k = 0; k < settings.Dimensions; ++k) jobs *= cells;
  return jobs;
}

RunInfo makeRunInfo(const RunSettings& settings,
                    const std::string& exportFolder, double wallTimeSeconds,
                    std::optional<std::uint64_t> seed) {
  RunInfo run;
  run.enumerate = settings.ExactDistributions;
  for (const SettingRule& entry : kSettings) {
    SettingValue setting;
    setting.name = entry.name;
    std::visit(
        [&](auto field) {
          const auto value = settings.*field;
          if constexpr (std::is_same_v<std::remove_cv_t<decltype(value)>, bool>) {
            setting.value = value;
          } else {
            setting.value = static_cast<std::int64_t>(value);
          }
        },
        entry.field);
    run.settings.push_back(std::move(setting));
  }
  run.jobsPerPhase = jobsPerPhase(settings);
  run.wallTimeSeconds = wallTimeSeconds;
  run.seed = seed;
  run.exportFolder = exportFolder;
  return run;
}

ReportWritten writeRunReport(const RunSettings& settings,
                             const std::string& exportFolder,
                             double wallTimeSeconds,
                             std::optional<std::uint64_t> seed,
                             const ResultStore& store,
                             const std::stop_token& stop) {
  return writeReport(
      makeRunInfo(settings, exportFolder, wallTimeSeconds, seed), store,
      kReportFolder, stop);
}

}  // namespace linprob
