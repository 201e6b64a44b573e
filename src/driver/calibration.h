// Calibration: how fast this machine runs a phase of this run, measured in a
// fraction of a second, for the estimate of the run time (run_plan.h).
//
// It eliminates Matrix0 without pivoting (timed) and solves the run's first
// phase (Matrix0, no pivoting, the triangular family; a sampling phase with
// a fixed seed) with the run's thread counts, timed: the phase itself when it
// has at most about a million jobs; else the same phase cut into fewer cells
// or samples, so that it has about that many; else (too many unknowns for
// even two cells) the phase itself again. The solve is stopped after two
// million job replays or 0.15 s, whichever comes first, and the cost of one
// replay is the time taken over the replays made. Last it times the
// certified references of a synthetic system of up to 200 unknowns and
// scales that to the run's (about a tenth of a second). The inputs must
// have passed the start-of-run check.
//
// It prints nothing (the job lines are hidden meanwhile and shown again as
// they were), writes no file, draws nothing from the random source and
// leaves no thread running. Called while no other thread prints.
#ifndef LINPROB_DRIVER_CALIBRATION_H_
#define LINPROB_DRIVER_CALIBRATION_H_

#include <optional>

#include "driver/run_plan.h"
#include "driver/settings.h"

namespace linprob {

// Nothing when the run has no system or the first phase cannot be solved
// (the run then meets and reports that error itself).
std::optional<RunCosts> calibrate(const RunSettings& settings);

}  // namespace linprob

#endif  // LINPROB_DRIVER_CALIBRATION_H_
