// The start of a run, before its result store is created: reads
// Settings.txt (saying when there is none or it ended early), or takes the
// settings and inputs handed over in memory (RunOptions::given), applies the
// command line's overrides (threads, points, --digits, counting), checks
// the settings and every input of the run (numeric_check.h, band_check.h),
// draws a sampling run's seed, and refuses settings whose footprint the
// machine cannot hold (run_footprint.h). Every problem is printed, one line
// each (the input files' problems at most 100 of them, then a count), and
// so are the warnings and the points' line.
#ifndef LINPROB_DRIVER_RUN_START_H_
#define LINPROB_DRIVER_RUN_START_H_

#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "check/input_check.h"
#include "config/mode_eliminations.h"
#include "config/run_config.h"
#include "config/run_options.h"
#include "config/settings.h"
#include "config/system_inputs.h"

namespace linprob {

// The solver threads -j asks for: 0 means one per hardware thread.
int solverThreadsFor(int requested);

// Where a run stands once its settings and inputs are checked.
enum class RunStart { kReady, kRefused, kStopped };

// kRefused once every problem has been reported; kReady with `config` the
// run's configuration (its settings checked, the options applied),
// `systems` holding every system's inputs as the check read them,
// `eliminated` what the check kept of their eliminations, `figures` what it
// measured of them, and `runSeed` a sampling run's seed (--seed, else
// drawn).
RunStart prepareRun(RunConfig& config, const RunOptions& options,
                    std::vector<SystemInputs>& systems,
                    std::vector<ModeEliminations>& eliminated,
                    std::vector<NumericFigures>& figures,
                    std::optional<std::uint64_t>& runSeed,
                    const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_DRIVER_RUN_START_H_
