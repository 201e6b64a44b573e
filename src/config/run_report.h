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

#include "config/settings.h"
#include "output/report_folder.h"
#include "results/result_store.h"
#include "results/run_info.h"

namespace linprob {

// The jobs of every phase: IntegrationPrecision^Dimensions in enumeration
// (0 for fewer than one cell), SampleCount in sampling (0 below one). The
// start-of-run check has made sure the power fits in 64 bits.


// `exportFolder`: where the run's CSV export went ("Export/" ...).
// `seed`: the run's seed (--seed, or drawn by a sampling run).
RunInfo makeRunInfo(const RunSettings& settings,
                    const std::string& exportFolder, double wallTimeSeconds,
                    std::optional<std::uint64_t> seed = std::nullopt);

// Writes Report/ and says what it wrote (report_folder.h); a stop of the
// run ends it.
ReportWritten writeRunReport(const RunSettings& settings,
                             const std::string& exportFolder,
                             double wallTimeSeconds,
                             std::optional<std::uint64_t> seed,
                             const ResultStore& store,
                             const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_CONFIG_RUN_REPORT_H_
