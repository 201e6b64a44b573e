#include "config/run_config.h"

#include "config/phase_settings.h"

namespace linprob {

RunConfig::RunConfig() : RunConfig(RunSettings{}) {}

RunConfig::RunConfig(const RunSettings& settings, ReportChoice report,
                     std::uint64_t memoryBudget)
    : settings_(settings),
      report_(report),
      memoryBudget_(memoryBudget),
      sourceKind_(sourceKindFor(settings)),
      phaseCount_(phaseCountFor(settings)),
      design_(pointDesignFor(settings)),
      jobsPerPhase_(jobsPerPhaseFor(settings)),
      chunksPerPhase_(chunksPerPhaseFor(settings)),
      countingPlan_(countingPlanFor(settings)),
      solveOptions_(solveOptionsFor(settings)) {}

const char* RunConfig::exportFolder() const {
  return sourceKind_ == JobSourceKind::kEnumeration ? "Export/"
                                                    : "ExportApprox/";
}

}  // namespace linprob
