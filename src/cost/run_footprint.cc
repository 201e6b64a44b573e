#include "cost/run_footprint.h"

#include <algorithm>
#include <bit>
#include <thread>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "distributions/job_block.h"
#include "config/mode_eliminations.h"
#include "linear/linear_system.h"
#include "output/document_sizes.h"
#include "output/page_document.h"
#include "output/report_scale.h"
#include "output/report_folder.h"
#include "output/run_files.h"
#include "results/result_store.h"
#include "results/system_reference.h"
#include "solve/band_counter.h"
#include "solve/batch_sums.h"
#include "solve/extreme_search.h"
#include "solve/fine_histogram.h"

namespace linprob {
namespace {

// The program, its libraries, its threads' stacks and its first
// allocations, as resident memory.
constexpr double kProgramBytes = 16e6;
// What the heap holds beyond the bytes in use: freed blocks stay in the
// process's one heap (main.cc's mallopt) for the next allocations
// (measured: resident memory 1.02 to 1.16 times the bytes in use at the
// peak, the binary's pages included).
constexpr double kHeapSlack = 1.2;
// The parts of a phase counted by halves and their working memory, against
// the plan's count of the parts alone (measured: 1.34 times).
constexpr double kHalvesWorking = 1.4;
// A stored table: borders, VALID, INVALID, exact linear and truth masses and
// the truth's error bounds by band, and what a table holds besides.
constexpr double kStoredBytesPerBand = 48.0;
constexpr double kStoredBytesPerTable = 600.0;
// A thread's stack pages in use and its slot.
constexpr double kThreadBytes = 64.0 * 1024.0;
// The certified references per matrix entry (n <= kMaxCertifiedSize): their
// peak while computed (the exact residual, the terms, three double
// matrices; 127 bytes measured at n = 250 to 1000, 549 MB at n = 2000),
// and what a system's references keep afterwards (the inverse's terms and
// enclosure, each family's variance shares: 88 to 96 bytes measured), a
// third more in enumeration (the cells' shares).
constexpr double kCertifiedBytesPerEntry = 140.0;
// An interval matrix's enclosures while computed, on top of its system's
// references: the preconditioned matrix (16 bytes an entry), its comparison
// matrix (8) and that one's certified inverse (as above).
constexpr double kIntervalBytesPerEntry = 24.0 + kCertifiedBytesPerEntry;
constexpr double kKeptReferenceBytesPerEntry = 100.0;
// A cell of an enumeration phase ([cell][entry]: a vector per cell, its
// heap block and 16 bytes an entry).
constexpr double kCellBytes = 56.0;
constexpr double kCellEntryBytes = 16.0;
// The report's page while it is written: one table's values while the
// document draws it; the tables only listed on the index (pages of their
// own) cost about 500 bytes each (measured: 2,000 systems of 2 unknowns,
// 23 MB more than without the report).
constexpr double kDrawnTableBytes = 4e3;
constexpr double kListedTableBytes = 500.0;
// A summary entry of a table as JSON values (results.json above
// kFullArraysMost unknowns), and the page's full tables of one family as
// JSON values at most (its kPageTableBytes of text, a family at a time).
constexpr double kSummaryValueBytes = 640.0;
constexpr double kPageFamilyValueBytes = 0.2e6;
// The tables of one unknown of a system (modes x families).
// A JSON value in memory, and the slack of a growing array.
constexpr double kJsonValueBytes = 16.0 * 2.0;

struct Counts {
  double n = 0.0;
  double entries = 0.0;  // n^2
  double bands = 0.0;    // of a table, at most
  double tables = 0.0;   // systems x modes x families x unknowns
  double systems = 0.0;
  double families = 0.0; // analysed by some system
  double threads = 0.0;
  double chunks = 0.0;
  double jobs = 0.0;
  double cells = 0.0;    // per entry, enumeration; 0 in sampling
  double subBandPositions = 0.0;
  bool certified = false;  // the run computes certified references
  double intervalMatrices = 0.0;  // systems with an interval matrix
};

Counts countsOf(const RunConfig& config) {
  const RunSettings& settings = config.settings();
  Counts c;
  c.n = settings.Dimensions;
  c.entries = c.n * c.n;
  c.bands = static_cast<double>(std::max(settings.HistogramPrecision, 1)) + 1.0;
  c.systems = std::max(settings.MaxMatrix, 0);
  c.families = static_cast<double>(config.analysedFamilies().count());
  c.tables = c.systems * static_cast<double>(kPivotModes.size()) *
             c.families * c.n;
  c.threads = std::max(settings.SolverThreadCount, 1);
  c.chunks = static_cast<double>(config.chunksPerPhase());
  c.jobs = static_cast<double>(config.jobsPerPhase());
  if (!drawsSamples(config.points())) {
    c.cells = static_cast<double>(std::max(config.phaseCount(), 1));
  }
  c.subBandPositions =
      settings.Dimensions <= kMaxSubBandPositions ? c.n : 0.0;
  c.certified =
      config.writesReport() && settings.Dimensions <= kMaxCertifiedSize;
  c.intervalMatrices = config.intervalMatrixSystems();
  return c;
}

// What the phases keep for one another once the first has run: in
// enumeration every unknown's sub-band sums and counts (two arrays of
// kFineSubBands each).
double retainedBytes(const Counts& c) {
  if (c.cells == 0.0) return 0.0;
  return c.subBandPositions * 2.0 * static_cast<double>(kFineSubBands) * 8.0;
}

// Whether the index page leaves systems to pages of their own: more
// systems than it draws (page_document.h).
bool ownPages(const Counts& c) {
  return c.systems > static_cast<double>(kMostPageSystems);
}

// The cells of one family's phase, as a table of cells.
double cellTableBytes(const Counts& c) {
  return c.cells * (kCellBytes + c.n * kCellEntryBytes);
}

// The batch sums of a sampling phase of two batches or more: each batch's
// histogram of every position with a fine histogram, at most 64 MiB.
double batchBytes(const RunConfig& config, const Counts& c) {
  if (!drawsSamples(config.points())) return 0.0;
  const PointDesign design =
      pointDesign(config.points(), config.settings().SampleCount);
  const std::size_t batches = design.batchCount();
  if (batches < 2) return 0.0;
  const auto positions = static_cast<std::size_t>(c.subBandPositions);
  const double subBands =
      static_cast<double>(BatchSums::subBandsFor(positions, batches));
  return static_cast<double>(batches) *
         (c.subBandPositions * subBands * 8.0 + c.n * c.bands * 24.0);
}

// The blocks of solved values a phase keeps between its passes, or 0 when
// they exceed the budget: sampling, and enumeration where the extreme
// search does not apply.
double keptBytes(const RunConfig& config, const Counts& c) {
  const RunSettings& settings = config.settings();
  if (!drawsSamples(config.points()) &&
      searchMayApply(config.jobsPerPhase(), settings.Dimensions)) {
    return 0.0;
  }
  const double blocks = std::ceil(c.jobs / static_cast<double>(kBlockJobs));
  const double bytes =
      blocks * static_cast<double>(firstPassBlockBytes(settings.Dimensions));
  return bytes <= static_cast<double>(config.memoryBudget()) ? bytes : 0.0;
}

// What one phase holds while it runs, beyond the system it solves.
double phaseBytes(const RunConfig& config, const Counts& c) {
  const bool sampling = c.cells == 0.0;
  const double subBands = static_cast<double>(kFineSubBands) * 8.0;
  const double bandSums = c.n * c.bands * 8.0;
  // Per thread: a block of each pass, compared band sums and the sub-band
  // sums and fine counts of the unknowns it counts at once: in sampling
  // one, in an enumeration that replays every job a whole chunk's (below
  // 16 unknowns) or a group of eight. A thread beyond the chunks counts
  // nothing.
  const bool replays =
      config.countingPlan().method == CountingMethod::kReplay;
  const double counted = c.subBandPositions == 0.0 ? 0.0
                         : sampling               ? 1.0
                         : !replays               ? 0.0
                         : c.n < 16.0             ? c.n
                                                  : 8.0;
  // A phase counted by halves replays blocks in its first pass only.
  const double blocks = replays ? 2.0 : 1.0;
  // With a random matrix, a block of its drawn entries and the batch's
  // columns (linear/sample_batch.h) too.
  const double drawn =
      config.randomMatrixSystems() > 0
          ? (c.entries + c.n) * kBlockJobs * 8.0 + (2.0 * c.n + 1.0) * c.n * 64.0
          : 0.0;
  const double thread = counted * 2.0 * subBands + bandSums +
                        blocks * (c.n + 1.0) * kBlockJobs * 8.0 + drawn +
                        kThreadBytes;
  const double active = std::min(c.threads, c.chunks);
  // The layout, the bands, both normal tables of the phase, the merged fine
  // histograms and, in enumeration, every unknown's sub-band sums and
  // counts (kept for the next phase: retainedBytes).
  const double tables = c.n * (c.bands * (16.0 + 16.0 + 16.0) + 2048.0) +
                        c.subBandPositions * subBands +
                        (sampling ? 0.0 : retainedBytes(c));
  // Enumeration: the cells, and where the extreme search applies its
  // contributions and sorted targets; the parts of a phase counted by
  // halves.
  double cells = 0.0;
  if (!sampling) {
    cells = cellTableBytes(c);
    if (searchMayApply(config.jobsPerPhase(), config.settings().Dimensions)) {
      cells += 40.0 * c.entries * c.cells;
    }
    // The plan counts each thread's sums of a first part; a thread beyond
    // the chunks holds none.
    const CountingPlan& counting = config.countingPlan();
    if (counting.method == CountingMethod::kHalves) {
      const double idle =
          (c.threads - active) * 40.0 * std::pow(c.cells, counting.split);
      cells += kHalvesWorking *
               std::max(static_cast<double>(counting.memoryBytes) - idle, 0.0);
    }
  }
  return active * thread + (c.threads - active) * kThreadBytes +
         c.chunks * (bandSums + c.n * 32.0) + tables + cells +
         batchBytes(config, c) + keptBytes(config, c);
}

// The report: one family's tables as JSON values (above kFullArraysMost
// unknowns results.json holds their summaries and the page some of them),
// the page's document and the page itself (with pages of their own, the
// index and one such page at a time), what the report holds per table, and
// what each file's writer holds (results.nc is built in memory).
double reportBytes(const Counts& c, const RunShape& shape) {
  const double family =
      holdsFullArrays(shape.unknowns)
          ? c.n * c.bands * 4.0 * kJsonValueBytes
          : c.n * kSummaryValueBytes + kPageFamilyValueBytes;
  const double page = indexPageBytes(shape) + ownPageBytes(shape);
  const double drawnTables =
      ownPages(c) ? static_cast<double>(kMostPageSystems) *
                        static_cast<double>(kPivotModes.size()) * c.families *
                        c.n
                  : c.tables;
  double writers = 0.0;
  for (const ReportFile& file : reportFiles()) writers += file.memory(shape);
  return family + 2.0 * page + drawnTables * kDrawnTableBytes +
         (c.tables - drawnTables) * kListedTableBytes + writers;
}

// One mode's elimination: the eliminated matrix and its steps (the
// vector at its capacity).
double eliminationBytes(const Counts& c) {
  const double steps = static_cast<double>(sizeof(step)) *
                       static_cast<double>(std::bit_ceil(
                           static_cast<std::uint64_t>(c.entries + 2.0 * c.n)));
  return c.entries * 8.0 + steps;
}

// The start-of-run check of one system: the matrix as read and loaded, and
// on each thread of the check (one per mode, at most the hardware's) a
// mode's elimination.
double checkBytes(const Counts& c) {
  const double threads = std::min<double>(
      kPivotModes.size(), std::max(1u, std::thread::hardware_concurrency()));
  return 2.0 * c.entries * 8.0 + threads * eliminationBytes(c);
}

// A system's references while they are computed: the certified working
// memory and, in enumeration, each family's cells.
double referenceBytes(const Counts& c) {
  if (!c.certified) return 0.0;
  const double intervals =
      c.intervalMatrices > 0.0
          ? c.entries * (kKeptReferenceBytesPerEntry + kIntervalBytesPerEntry)
          : 0.0;
  return std::max(c.entries * kCertifiedBytesPerEntry, intervals) +
         (c.cells > 0.0
              ? c.families * cellTableBytes(c)
              : 0.0);
}

// What a system's references keep once computed.
double keptReferenceBytes(const Counts& c) {
  if (!c.certified) return 0.0;
  // Enumeration keeps the cells' shares besides.
  const double cells = c.cells > 0.0 ? 4.0 / 3.0 : 1.0;
  return c.entries * kKeptReferenceBytesPerEntry * cells;
}

}  // namespace

RunFootprint estimateFootprint(const RunConfig& config) {
  const RunSettings& settings = config.settings();
  const Counts c = countsOf(config);
  const RunShape shape = runShape(config);
  RunFootprint footprint;
  // Held throughout: the stored tables and every system's matrix (as the
  // check read it, then in its references); until the run has used them,
  // the eliminations the check kept.
  const double stored =
      c.tables * (c.bands * kStoredBytesPerBand + kStoredBytesPerTable);
  // An interval matrix's two ends beside its system's matrix.
  const double matrices =
      c.systems * c.entries * 8.0 + c.intervalMatrices * c.entries * 16.0;
  const double kept =
      keptEliminationBytes(settings.Dimensions, settings.MaxMatrix);
  // The stages, each at its largest: the check of a system, the references
  // of a system (those of the systems before it kept), a phase (its system
  // eliminated and compiled unless kept, the references of the systems
  // before it), the export and the report
  // (every system's references). A phase's compiled replay takes about a
  // double per matrix entry.
  const double eliminated = kept > 0.0 ? 0.0 : eliminationBytes(c);
  const double check = kept + checkBytes(c);
  const double references = kept + referenceBytes(c) +
                            (c.systems - 1.0) * keptReferenceBytes(c);
  const double phase = kept + c.systems * keptReferenceBytes(c) + eliminated +
                       c.entries * 8.0 + phaseBytes(config, c);
  const double report = c.systems * keptReferenceBytes(c) + retainedBytes(c) +
                        (config.writesReport() ? reportBytes(c, shape) : 0.0);
  const double largest = std::max({check, references, phase, report});
  footprint.memoryBytes = kProgramBytes + kHeapSlack * (stored + matrices + largest);

  footprint.files = estimateRunFiles(shape);
  for (const FileEstimate& file : footprint.files) {
    footprint.outputBytes += file.bytes;
  }
  return footprint;
}

RunShape runShape(const RunConfig& config) {
  const RunSettings& settings = config.settings();
  RunShape shape;
  shape.systems = std::max(settings.MaxMatrix, 0);
  shape.intervalMatrixSystems = config.intervalMatrixSystems();
  shape.randomMatrixSystems = config.randomMatrixSystems();
  shape.unknowns = static_cast<int>(settings.Dimensions);
  shape.bands = std::max(settings.HistogramPrecision, 1) + 1;
  shape.points = config.points();
  if (drawsSamples(config.points())) {
    shape.digits = settings.digits;
    shape.batches =
        settings.digits
            ? static_cast<int>(kReplicates)
            : static_cast<int>(
                  pointDesign(config.points(), settings.SampleCount).batchCount());
  }
  shape.report = config.writesReport() ? ReportWriting::kWritten
                                        : ReportWriting::kSkipped;
  shape.summaries = config.writesSummaries() ? SummaryWriting::kWritten
                                             : SummaryWriting::kSkipped;
  shape.certified = config.writesReport() &&
                            settings.Dimensions <= kMaxCertifiedSize
                        ? CertifiedValues::kComputed
                        : CertifiedValues::kNone;
  shape.coverage = settings.Dimensions <= kMaxSubBandPositions
                       ? CoverageIntervals::kComputed
                       : CoverageIntervals::kNone;
  shape.exportFolder = config.exportFolder();
  shape.families = config.analysedFamilies();
  return shape;
}

std::optional<std::string> footprintProblem(const RunSettings& settings,
                                            const RunFootprint& footprint,
                                            const FootprintLimits& limits) {
  if (footprint.memoryBytes <= limits.memoryBytes &&
      footprint.outputBytes <= limits.outputBytes) {
    return std::nullopt;
  }
  std::ostringstream line;
  line << "Settings.txt: HistogramPrecision " << settings.HistogramPrecision
       << " with Dimensions " << settings.Dimensions << " and MaxMatrix "
       << settings.MaxMatrix << ": the run would need about "
       << byteText(footprint.memoryBytes) << " of memory and write about "
       << byteText(footprint.outputBytes)
       << " of files; this machine allows " << byteText(limits.memoryBytes)
       << " of memory (half of its memory) and "
       << byteText(limits.outputBytes) << " of files";
  return line.str();
}

std::string byteText(double bytes) {
  static const char* const kUnits[] = {"B", "kB", "MB", "GB", "TB", "PB", "EB"};
  std::size_t unit = 0;
  double value = std::max(bytes, 0.0);
  while (value >= 999.5 && unit + 1 < std::size(kUnits)) {
    value /= 1000.0;
    ++unit;
  }
  char text[32];
  if (unit == 0 || value >= 9.95) {
    std::snprintf(text, sizeof text, "%.0f %s", value, kUnits[unit]);
  } else {
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  }
  return text;
}

}  // namespace linprob
