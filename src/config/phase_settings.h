// What a run's settings say about each of its distribution phases, in one
// place: the kind of points (every combination of cells, or random, sobol or
// lhs samples), the count they take (cells per entry, or samples), the jobs
// a phase has, and the options its solver runs with. RunConfig
// (run_config.h) derives each of these once at the start of a run; every
// stage reads them there, never from here.
#ifndef LINPROB_CONFIG_PHASE_SETTINGS_H_
#define LINPROB_CONFIG_PHASE_SETTINGS_H_

#include <optional>

#include "distributions/point_design.h"
#include "distributions/point_kinds.h"
#include "config/settings.h"
#include "solve/counting_plan.h"
#include "solve/phase_solver.h"

namespace linprob {

// The run's points, the one place Settings.txt's ExactDistributions meets
// --points: enumeration for ExactDistributions 1, else the --points kind.
PointKind pointKindFor(const RunSettings& settings);

// IntegrationPrecision when enumerating, else SampleCount.
int phaseCountFor(const RunSettings& settings);

// The design of a sampling run's replicated points (sobol, lhs); none for
// enumeration and independent samples.
std::optional<PointDesign> pointDesignFor(const RunSettings& settings);

// The jobs of every phase of the run (0 for a count below 1, the largest
// 64-bit count when beyond) and their chunk plan (the kind's row).
PhaseJobs phaseJobsFor(const RunSettings& settings);

// How the run's enumeration phases count their jobs (counting_plan.h), as
// solvePhase plans each with solveOptionsFor's options before its borders
// are known: the most bands a position may have (HistogramPrecision + 1),
// a fine histogram for every unknown (up to kMaxSubBandPositions). Sampling
// phases replay: a plan of kReplay with no reason.
CountingPlan countingPlanFor(const RunSettings& settings);

// Solver and generator threads and the histogram's bands; the caller adds
// the stop token, progress, references and process group of its phase.
SolveOptions solveOptionsFor(const RunSettings& settings);

}  // namespace linprob

#endif  // LINPROB_CONFIG_PHASE_SETTINGS_H_
