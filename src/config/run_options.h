// RunOptions: what the command line asks of a run, beyond Settings.txt.
//
// A default RunOptions is the run without arguments: in the current folder,
// the thread count of Settings.txt, seeds drawn from the random source, every
// console line, no progress line, and the whole run with every output.
#ifndef LINPROB_CONFIG_RUN_OPTIONS_H_
#define LINPROB_CONFIG_RUN_OPTIONS_H_

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/process_group.h"
#include "config/given_inputs.h"
#include "output/report_folder.h"
#include "distributions/point_kinds.h"
#include "solve/counting_plan.h"
#include "solve/first_pass_blocks.h"

namespace linprob {

// Whether a run writes its Report/ folder (--no-report skips it).
enum class ReportChoice { kWritten, kSkipped };

// Whether a run writes each system's summary files and the CSV export
// (skipped by a run from Python, which reads the report alone).
enum class SummaryChoice { kWritten, kSkipped };

// The most solver threads a run accepts.
inline constexpr int kMaxSolverThreads = 1024;

struct RunOptions {
  // The working folder, entered before anything is read; empty: the current
  // one. Messages name files relative to it.
  std::string workDir;
  // Overrides SolverThreadCount; 0 means one per hardware thread.
  std::optional<int> solverThreads;
  // Seeds every sampling phase from this, the system, the mode and the family.
  std::optional<std::uint64_t> seed;
  // The points of every sampling phase (--points random|sobol|lhs).
  PointKind points = PointKind::kRandom;
  // Sample each phase until D (1 ... 4) significant digits are stable.
  std::optional<int> digits;
  // Hides the per-job lines of standard output.
  bool quiet = false;
  // One self-updating progress line on standard error per phase.
  bool showProgress = false;
  // Check the inputs and print the plan and an estimate; write nothing.
  bool checkOnly = false;
  // Whether the run writes its Report/ folder.
  ReportChoice report = ReportChoice::kWritten;
  // Whether it writes the summary files and the CSV export.
  SummaryChoice summaries = SummaryChoice::kWritten;
  // The settings and inputs handed over in memory (the Python package):
  // Settings.txt and the system folders are then not read, and the start
  // check takes the numbers out of here (they become the run's one copy).
  // nullptr: the working folder's files.
  std::shared_ptr<GivenInputs> given;
  // Counts each system under each mode as it is done, for a caller's
  // progress (not owned; nullptr: not counted).
  std::atomic<int>* systemsDone = nullptr;
  // Where the report's files go instead of Report/ (not owned; nullptr:
  // the folder).
  ReportBytes* reportBytes = nullptr;

  // Whether the run writes anything into its working folder: it takes the
  // folder's lock only then.
  bool writesFolder() const {
    return summaries == SummaryChoice::kWritten ||
           (report == ReportChoice::kWritten && reportBytes == nullptr);
  }
  // The bytes of solved values a phase may keep between its two passes
  // (SolveOptions::memoryBudget); the files are the same for any budget.
  std::uint64_t memoryBudget = kDefaultMemoryBudget;
  // How enumeration phases count their bands (--counting), and the bytes
  // counting by halves may take (--halves-memory); the values agree to
  // rounding either way (counting_plan.h).
  CountingChoice counting = CountingChoice::kCheaper;
  std::uint64_t halvesMemory = kDefaultHalvesMemory;
  // The processes the run is shared with (launched by mpirun or srun, see
  // driver/run_ranks.h); nullptr: this process alone. Not owned.
  ProcessGroup* group = nullptr;
};

}  // namespace linprob

#endif  // LINPROB_CONFIG_RUN_OPTIONS_H_
