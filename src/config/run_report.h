// The run's Report/ folder as the driver writes it at the end of a run: the
// run's description (RunInfo) from its settings as used and its wall time,
// then output/report_folder.h. One call, which a run may skip.
#ifndef LINPROB_CONFIG_RUN_REPORT_H_
#define LINPROB_CONFIG_RUN_REPORT_H_

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "config/run_config.h"
#include "output/report_folder.h"
#include "results/result_store.h"
#include "results/run_info.h"

namespace linprob {

// The run's part of the report: its points, settings, jobs per phase and
// export folder (config.exportFolder()), its wall time and `seed` (--seed,
// or drawn by a sampling run).
RunInfo makeRunInfo(const RunConfig& config, double wallTimeSeconds,
                    std::optional<std::uint64_t> seed = std::nullopt);

// Writes Report/ and says what it wrote (report_folder.h), or with
// `memory` keeps its files there instead; a stop of the run ends it.
ReportWritten writeRunReport(const RunConfig& config,
                             double wallTimeSeconds,
                             std::optional<std::uint64_t> seed,
                             const ResultStore& store,
                             const std::stop_token& stop = {},
                             ReportBytes* memory = nullptr);

}  // namespace linprob

#endif  // LINPROB_CONFIG_RUN_REPORT_H_
