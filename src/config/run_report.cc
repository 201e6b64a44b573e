#include "config/run_report.h"

#include <type_traits>
#include <utility>
#include <variant>

#include "distributions/point_kinds.h"
#include "config/phase_settings.h"
#include "output/report_folder.h"

namespace linprob {

RunInfo makeRunInfo(const RunSettings& settings,
                    const std::string& exportFolder, double wallTimeSeconds,
                    std::optional<std::uint64_t> seed) {
  RunInfo run;
  const PointKindRow& points = pointKindRow(pointKindFor(settings));
  run.kind = points.runKind;
  if (drawsSamples(points.kind)) run.points = points.name;
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
  run.jobsPerPhase = jobsPerPhaseFor(settings);
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
