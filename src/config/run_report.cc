#include "config/run_report.h"

#include <type_traits>
#include <utility>
#include <variant>

#include "distributions/point_kinds.h"
#include "output/report_folder.h"

namespace linprob {

RunInfo makeRunInfo(const RunConfig& config, double wallTimeSeconds,
                    std::optional<std::uint64_t> seed) {
  const RunSettings& settings = config.settings();
  RunInfo run;
  const PointKindRow& points = pointKindRow(config.points());
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
  run.jobsPerPhase = config.jobsPerPhase();
  run.wallTimeSeconds = wallTimeSeconds;
  run.seed = seed;
  run.exportFolder = config.exportFolder();
  for (const ReportFile& file : reportFiles()) {
    if (writesReportFile(file, {config.intervalMatrixSystems(),
                                config.randomMatrixSystems()})) {
      run.reportFiles.emplace_back(file.name);
    }
  }
  return run;
}

ReportWritten writeRunReport(const RunConfig& config,
                             double wallTimeSeconds,
                             std::optional<std::uint64_t> seed,
                             const ResultStore& store,
                             const std::stop_token& stop,
                             ReportBytes* memory) {
  const RunInfo run = makeRunInfo(config, wallTimeSeconds, seed);
  if (memory != nullptr) return writeReportBytes(run, store, *memory, stop);
  return writeReport(run, store, kReportFolder, stop);
}

}  // namespace linprob
