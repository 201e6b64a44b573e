// RunFootprint: what a run of these settings holds in memory at its peak
// and writes to disk, estimated from the settings alone, so that a run that
// could not end well (HistogramPrecision 1000000 on the bundled example's
// five systems needs some 14 GB of memory and 100 GB of files) is refused
// before it starts (the driver checks it once the inputs are found sound)
// instead of failing after hours.
//
// Memory, per process: the program itself; every stored table (its borders,
// VALID, INVALID, exact linear and truth masses and the truth's error
// bounds: 48 bytes a band, of H + 1 bands at most) of every system, mode,
// family and unknown; the systems' matrices
// and references; the eliminations the start check keeps for the run
// (config/mode_eliminations.h); and the larger of a phase's working set (per solver
// thread the sub-band sums and fine-histogram counts of up to
// kMaxSubBandPositions unknowns, 256 KiB each, and a band sum per band; per
// chunk one band sum per band; the borders' layout; in enumeration the
// extreme search's tables, and the parts of a phase counted by halves:
// CountingPlan::memoryBytes) and the report's (one family's tables as JSON
// values, their summaries above kFullArraysMost unknowns; the page and its
// copy of the results, of the page's estimated size: the index and one
// system's own page at a time when systems get pages of their own).
//
// Output: every kind of file the run writes, each as its writer estimates
// it from the run's shape (output/run_files.h): at least what is written
// and at most about twice it.
//
// The limits: memory up to half of what this machine (or the control group
// the process runs in) has; files up to kMostOutputBytes.
#ifndef LINPROB_COST_RUN_FOOTPRINT_H_
#define LINPROB_COST_RUN_FOOTPRINT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/run_config.h"
#include "cost/machine_limits.h"
#include "config/settings.h"
#include "output/run_files.h"
#include "output/run_shape.h"
#include "solve/first_pass_blocks.h"

namespace linprob {

struct RunFootprint {
  double memoryBytes = 0.0;
  double outputBytes = 0.0;  // the sum of `files`
  std::vector<FileEstimate> files;
};

// For a configuration whose settings passed checkSettings.
RunFootprint estimateFootprint(const RunConfig& config);

// What the sizes of the run's files follow.
RunShape runShape(const RunConfig& config);

// Nothing when the footprint is within the limits; else the one line that
// refuses the run, e.g.
//   "Settings.txt: HistogramPrecision 1000000 with Dimensions 4 and
//    MaxMatrix 5: the run would need about 70 GB of memory and write about
//    95 GB of files; this machine allows 12 GB of memory (half of its
//    memory) and 2 GB of files"
std::optional<std::string> footprintProblem(const RunSettings& settings,
                                            const RunFootprint& footprint,
                                            const FootprintLimits& limits);

// A byte count in two significant digits with its decimal unit: "950 B",
// "3.6 kB", "12 MB", "70 GB", "1.2 TB".
std::string byteText(double bytes);

}  // namespace linprob

#endif  // LINPROB_COST_RUN_FOOTPRINT_H_
