#include "config/run_config.h"

#include <utility>

#include "config/phase_settings.h"

namespace linprob {

RunConfig::RunConfig() : RunConfig(RunSettings{}) {}

RunConfig::RunConfig(const RunSettings& settings, ReportChoice report,
                     std::uint64_t memoryBudget, SummaryChoice summaries,
                     ModeSet modes)
    : settings_(settings),
      report_(report),
      summaries_(summaries),
      modes_(modes),
      memoryBudget_(memoryBudget),
      points_(pointKindFor(settings)),
      phaseCount_(phaseCountFor(settings)),
      design_(pointDesignFor(settings)),
      phaseJobs_(phaseJobsFor(settings)),
      countingPlan_(countingPlanFor(settings)),
      solveOptions_(solveOptionsFor(settings)) {}

const PivotMode& RunConfig::firstMode() const {
  for (const PivotMode& mode : kPivotModes) {
    if (runs(mode)) return mode;
  }
  return kPivotModes[0];
}

const char* RunConfig::exportFolder() const {
  return drawsSamples(points_) ? "ExportApprox/" : "Export/";
}

SourceRequest requestFor(const RunConfig& config, const FamilyInfo& family,
                         EntryParameters entries, std::uint64_t seed) {
  SourceRequest request;
  request.family = &family;
  request.n = config.settings().Dimensions;
  request.kind = config.points();
  request.count = drawsSamples(request.kind)
                      ? config.phaseCount()
                      : enumeratedCells(family, config.phaseCount(), entries);
  request.entries = std::move(entries);
  if (drawsSamples(request.kind)) request.seed = seed;
  return request;
}

}  // namespace linprob
