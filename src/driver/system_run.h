// One system under one pivoting mode: its banner, the elimination, the
// plain and the interval solution, the three distribution phases (each
// measured against the system's references at once), its summary file
// (written by the lone process or rank 0) and its result in the store.
//
// The system's references are made at its first mode, once, from the
// inputs the start-of-run check read (config/system_inputs.h); later modes
// take both from the store.
#ifndef LINPROB_DRIVER_SYSTEM_RUN_H_
#define LINPROB_DRIVER_SYSTEM_RUN_H_

#include <optional>
#include <stop_token>

#include "driver/progress_display.h"
#include "config/run_config.h"
#include "config/run_options.h"
#include "config/settings.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "results/result_store.h"
#include "results/system_reference.h"

namespace linprob {

// How one system under one mode ended.
enum class SystemOutcome { kWritten, kFailed, kStopped };

// Every failure has been reported on standard error when it returns
// kFailed; kStopped once `stop` is requested (a file a stop cut short is no
// failure).
//
// `checked`: system i's inputs as the start check read them, on the lone
// process or rank 0 (nullptr on the others); the first mode moves them
// into the system's reference, unless the store already keeps it.
// `eliminated`: the matrix eliminated under `mode` by the start check, taken
// (and the slot emptied) instead of eliminating again; nullptr or empty:
// the run eliminates it.
// `options`: the seed, the processes and the memory budget of the run.
SystemOutcome runSystem(const RunConfig& config, int i,
                        const PivotMode& mode, const RunOptions& options,
                        ProgressDisplay* display, const std::stop_token& stop,
                        SystemInputs* checked, ResultStore& store,
                        std::optional<LinearSystem>* eliminated = nullptr);

}  // namespace linprob

#endif  // LINPROB_DRIVER_SYSTEM_RUN_H_
