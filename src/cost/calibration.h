// Calibration: how fast this machine runs each stage of this run, measured
// in a fraction of a second (a few seconds for systems of hundreds of
// unknowns), for the estimate of the run time (run_plan.h). Measured, not
// assumed, so that the estimate follows the program when a stage gets
// faster:
//
// - an elimination: the start-of-run check's own eliminations of Matrix0
//   (their mean over the four modes, each timed on its thread), or, when
//   the check did not time them, Matrix0's without pivoting; none when the
//   check kept every elimination for the run;
// - a system's certified references: Matrix0's, computed as the run would and
//   handed to it (Calibration::firstReference), so they cost nothing extra;
//   for --check, which keeps nothing, reference_timing.h's estimate
//   instead (a made-up system beyond 250 unknowns);
// - a phase's setup: the run's first phase (Matrix0, no pivoting, the
//   triangular family) with one cell per entry (one job) or one sample,
//   solved whole with the run's thread counts, the shorter of two times
//   (the first phase of a process also pays for memory that later phases
//   reuse); where the run's enumeration phases search their extremes
//   (solve/extreme_search.h: at least 8 n jobs), that search besides, on
//   one thread. Beyond kDirectSetupUnknowns unknowns, where the search
//   grows as a power of n and may take minutes, it is timed on made-up
//   regular systems of 32, 45, 64, ... unknowns (each the last times
//   sqrt(2)), and carried to n by the power that fits the last three times
//   of 20 ms or more (least squares of their logarithms, between 1 and 4;
//   below 20 ms the other work, which grows more slowly, would flatten it).
//   They go on while they take less than half a second, or while the next
//   would take less than 2 % of the run's phases as estimated so far: the
//   longer the run, the nearer n the last of them (about n / 2), so that
//   the power is read where the run works;
// - a replay, when the run's phases have more than one job: the first phase
//   itself when it has at most about a million jobs, else a copy with fewer
//   cells or samples, solved whole on min(threads, hardware threads)
//   threads, the faster of two times; else (too many unknowns for even two
//   cells) a slice of the phase, stopped after a tenth of a second of
//   replays. The setup is taken
//   off and the time per replay on one thread follows from the speed-up of
//   that phase's chunks (phaseSpeedUp). A sampling copy starts with 64
//   samples and is solved again, up to three times, with more when its
//   replays took less than 30 ms;
// - the measures and writers of a system (writer_timing.h);
// - the continuous truth of a system (truth_timing.h).
// The inputs must have passed the start-of-run check.
//
// It prints nothing (the job lines are hidden meanwhile and shown again as
// they were), writes no file, draws nothing from the random source and
// leaves no thread running. Called while no other thread prints.
#ifndef LINPROB_COST_CALIBRATION_H_
#define LINPROB_COST_CALIBRATION_H_

#include <optional>
#include <stop_token>

#include "cost/run_plan.h"
#include "config/run_config.h"
#include "config/settings.h"
#include "linear/linear_system.h"
#include "results/system_reference.h"

namespace linprob {

inline constexpr unsigned kDirectSetupUnknowns = 96;

struct Calibration {
  RunCosts costs;  // elapsedSeconds left to the caller
  // Matrix0's references, for the run to keep (costs.referencesKept is 1);
  // none for --check.
  std::optional<SystemReference> firstReference;
};

// What the start-of-run check learned of Matrix0 that the calibration uses.
struct FirstSystemCheck {
  const SystemInputs* inputs = nullptr;  // as the check read them
  // Its matrix eliminated under the first mode when the check kept it, else
  // nullptr.
  const LinearSystem* eliminated = nullptr;
  // Whether the run takes every mode's elimination from the check (then it
  // eliminates nothing, and the estimate counts no elimination).
  bool everyModeKept = false;
  // The mean seconds of the check's eliminations of its four modes, each on
  // its own thread; 0 when unknown.
  double eliminationSeconds = 0.0;
  // The least estimate of its condition number over the modes.
  double condition = 1.0;
};

// Whether the calibration's costs are for a run, which keeps the first
// system's references it computes, or for --check, which keeps nothing.
enum class CalibrationFor { kRun, kCheckOnly };

// Nothing when the run has no system or the first phase cannot be solved
// (the run then meets and reports that error itself), and nothing once
// `stop` is requested: the references, eliminations and timed phases of every
// stage look at it, and the calibration ends within a millisecond or so.
// first.inputs must be set.
std::optional<Calibration> calibrate(const RunConfig& config,
                                     const FirstSystemCheck& first,
                                     CalibrationFor use,
                                     const std::stop_token& stop = {});

// The hardware threads this process may run on (its CPU affinity), at
// least 1.
unsigned hardwareThreads();

}  // namespace linprob

#endif  // LINPROB_COST_CALIBRATION_H_
