#include "config/run_config.h"

#include "config/phase_settings.h"

namespace linprob {

RunConfig::RunConfig() : RunConfig(RunSettings{}) {}

RunConfig::RunConfig(const RunSettings& settings, ReportChoice report,
                     std::uint64_t memoryBudget)
    : settings_(settings),
      report_(report),
      memoryBudget_(memoryBudget),
      points_(pointKindFor(settings)),
      phaseCount_(phaseCountFor(settings)),
      design_(pointDesignFor(settings)),
      phaseJobs_(phaseJobsFor(settings)),
      countingPlan_(countingPlanFor(settings)),
      solveOptions_(solveOptionsFor(settings)) {}

const char* RunConfig::exportFolder() const {
  return drawsSamples(points_) ? "ExportApprox/" : "Export/";
}

}  // namespace linprob
