// What a run's settings say about each of its distribution phases, in one
// place: the kind of job source (every combination of cells, or samples),
// the count that source takes (cells per entry, or samples), the jobs a
// phase has, and the options its solver runs with.
#ifndef LINPROB_CONFIG_PHASE_SETTINGS_H_
#define LINPROB_CONFIG_PHASE_SETTINGS_H_

#include <cstddef>
#include <cstdint>
#include <optional>

#include "distributions/job_source_kinds.h"
#include "config/settings.h"
#include "solve/counting_plan.h"
#include "solve/phase_solver.h"

namespace linprob {

// ExactDistributions 1: enumeration; 0: sampling.
JobSourceKind sourceKindFor(const RunSettings& settings);

// IntegrationPrecision when enumerating, else SampleCount.
int phaseCountFor(const RunSettings& settings);

// The design of a sampling run's sobol or lhs points; none otherwise.
std::optional<PointDesign> pointDesignFor(const RunSettings& settings);

// The jobs of every phase of the run: 0 for a count below 1, the largest
// 64-bit count when beyond.
std::uint64_t jobsPerPhaseFor(const RunSettings& settings);

// The chunks every phase of the run is split into (ChunkPlan::of the
// source's units and jobs), at least 1.
std::size_t chunksPerPhaseFor(const RunSettings& settings);

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
