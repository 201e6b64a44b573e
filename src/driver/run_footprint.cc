#include "driver/run_footprint.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "distributions/job_block.h"
#include "driver/mode_eliminations.h"
#include "driver/phase_settings.h"
#include "linear/linear_system.h"
#include "output/page_document.h"
#include "output/results_json.h"
#include "results/system_reference.h"
#include "solve/band_counter.h"
#include "solve/fine_histogram.h"

namespace linprob {
namespace {

// The program, its libraries and its first allocations.
constexpr double kProgramBytes = 24e6;
// A stored table: borders, VALID, INVALID, exact linear and truth masses and
// the truth's error bounds by band, and what a table holds besides.
constexpr double kStoredBytesPerBand = 48.0;
constexpr double kStoredBytesPerTable = 600.0;
// A thread's stack pages in use and its slot.
constexpr double kThreadBytes = 64.0 * 1024.0;
// The certified references' peak while they are computed, per matrix entry
// (the exact residual, the terms, three double matrices; 549 MB measured
// at n = 2000), n <= kMaxCertifiedSize.
constexpr double kCertifiedBytesPerEntry = 140.0;
// Bytes of the files per band, and per table besides (headers, tails, the
// scalars of unknowns.csv and of the JSON document); the page's own code.
constexpr double kSummaryBytesPerBand = 72.0;
constexpr double kCsvBytesPerBand = 34.0;
constexpr double kBandsCsvBytesPerBand = 188.0;
constexpr double kJsonBytesPerBand = 139.0;
constexpr double kPageBytesPerBand = 107.0;
constexpr double kFileBytesPerTable = 5600.0;
constexpr double kPageBytes = 0.37e6;
// A run of more systems than the index page draws: the index at most, and
// what a system's own page holds besides its tables and matrix.
constexpr double kIndexPageBytes = 5e6;
constexpr double kOwnPageBytes = 3000.0;
// A matrix entry as JSON text, in results.json and in the page.
constexpr double kJsonBytesPerNumber = 24.0;
// A JSON value in memory, and the slack of a growing array.
constexpr double kJsonValueBytes = 16.0 * 2.0;

struct Counts {
  double n = 0.0;
  double bands = 0.0;   // of a table, at most
  double tables = 0.0;  // systems x modes x families x unknowns
  double systems = 0.0;
  double threads = 0.0;
  double chunks = 0.0;
  double cells = 0.0;    // per entry, enumeration; 0 in sampling
  double subBandPositions = 0.0;
};

Counts countsOf(const RunSettings& settings) {
  Counts c;
  c.n = settings.Dimensions;
  c.bands = static_cast<double>(std::max(settings.HistogramPrecision, 1)) + 1.0;
  c.systems = std::max(settings.MaxMatrix, 0);
  c.tables = c.systems * 12.0 * c.n;
  c.threads = std::max(settings.SolverThreadCount, 1);
  c.chunks = static_cast<double>(chunksPerPhaseFor(settings));
  if (sourceKindFor(settings) == JobSourceKind::kEnumeration) {
    c.cells = static_cast<double>(std::max(phaseCountFor(settings), 1));
  }
  c.subBandPositions =
      settings.Dimensions <= kMaxSubBandPositions ? c.n : 0.0;
  return c;
}

double phaseBytes(const Counts& c) {
  const double subBands = static_cast<double>(kFineSubBands) * 8.0;
  const double bandSums = c.n * c.bands * 8.0;
  // Per thread: sub-band sums and fine counts, compared band sums, a block
  // of each pass.
  const double thread = c.subBandPositions * 2.0 * subBands + bandSums +
                        2.0 * (c.n + 1.0) * kBlockJobs * 8.0 + kThreadBytes;
  // The layout, the bands, the merged fine histograms and both normal
  // tables of the phase.
  const double tables = c.n * (c.bands * (16.0 + 16.0 + 16.0) + 2048.0) +
                        c.subBandPositions * subBands;
  // Enumeration: the cells twice, the extreme search's contributions and
  // sorted targets.
  const double search = c.cells * c.n * 32.0 + 40.0 * c.n * c.n * c.cells;
  // A quarter more for what the allocator keeps between phases.
  return 1.25 * (c.threads * thread + c.chunks * (bandSums + c.n * 32.0) +
                 tables + search);
}

// Whether the index page leaves systems to pages of their own: more
// systems than it draws (page_document.h).
bool ownPages(const Counts& c) {
  return c.systems > static_cast<double>(kMostPageSystems);
}

// The bands a table of a system's own page draws at most: as many as on
// the page of a run of that system alone.
double ownPageBands(const Counts& c) {
  return std::min(c.bands, static_cast<double>(pageBandsPerChart(
                               static_cast<std::size_t>(12.0 * c.n))));
}

double reportBytes(const Counts& c) {
  // One family's tables as JSON values; the page's document (in its stream
  // and copied out of it), its escaped copy and the page itself, with the
  // slack of a growing string; with pages of their own, the index and one
  // such page at a time.
  const double family = c.n * c.bands * 4.0 * kJsonValueBytes;
  const double drawn = std::min(
      c.bands,
      static_cast<double>(pageBandsPerChart(static_cast<std::size_t>(c.tables))));
  double page = c.tables * (drawn * kPageBytesPerBand + 1000.0) +
                c.n * c.n * kJsonBytesPerNumber + kPageBytes;
  if (ownPages(c)) {
    page = std::min(page, kIndexPageBytes) + kOwnPageBytes +
           12.0 * c.n * (ownPageBands(c) * kPageBytesPerBand + 1000.0) +
           c.n * c.n * kJsonBytesPerNumber;
  }
  return family + 5.0 * page;
}

// The bytes that one system's matrix costs while it is checked, eliminated
// and kept: the matrix as read and eliminated, the steps, and the certified
// references' working memory.
double systemBytes(const Counts& c) {
  const double entries = c.n * c.n;
  double bytes = entries * (3.0 * 8.0 + static_cast<double>(sizeof(step)));
  if (c.n <= kMaxCertifiedSize) bytes += entries * kCertifiedBytesPerEntry;
  return bytes;
}

// A sampling phase's kept blocks, or 0 when they exceed the budget. An
// enumeration phase keeps none where the extreme search applies, as it
// usually does.
double keptBytes(const RunSettings& settings, std::uint64_t budget) {
  if (sourceKindFor(settings) != JobSourceKind::kSampling) return 0.0;
  const double blocks =
      std::ceil(static_cast<double>(jobsPerPhaseFor(settings)) /
                static_cast<double>(kBlockJobs));
  const double bytes =
      blocks * static_cast<double>(keptBlockBytes(settings.Dimensions));
  return bytes <= static_cast<double>(budget) ? bytes : 0.0;
}

double readLimit(const char* path) {
  std::ifstream file(path);
  std::string text;
  if (!(file >> text) || text == "max") return 0.0;
  try {
    return std::stod(text);
  } catch (const std::exception&) {
    return 0.0;
  }
}

}  // namespace

RunFootprint estimateFootprint(const RunSettings& settings, bool writeReport,
                               std::uint64_t memoryBudget) {
  const Counts c = countsOf(settings);
  RunFootprint footprint;
  const double stored =
      c.tables * (c.bands * kStoredBytesPerBand + kStoredBytesPerTable);
  // Every system's matrix is kept with its references; one is worked on.
  const double matrices = c.systems * c.n * c.n * 8.0 + systemBytes(c);
  // An enumeration phase counted by halves keeps its parts besides.
  const CountingPlan counting = countingPlanFor(settings);
  const double halves = counting.method == CountingMethod::kHalves
                            ? static_cast<double>(counting.memoryBytes)
                            : 0.0;
  const double working =
      std::max(phaseBytes(c) + halves, writeReport ? reportBytes(c) : 0.0);
  footprint.memoryBytes =
      kProgramBytes + stored + matrices + working +
      keptBytes(settings, memoryBudget) +
      keptEliminationBytes(settings.Dimensions, settings.MaxMatrix);

  const double typicalBands = c.bands - 1.0;
  double perBand = kSummaryBytesPerBand + kCsvBytesPerBand;
  double output = c.tables * typicalBands * perBand;
  if (writeReport) {
    const double drawn = std::min(
        typicalBands, static_cast<double>(pageBandsPerChart(
                          static_cast<std::size_t>(c.tables))));
    output += c.tables * typicalBands * (kBandsCsvBytesPerBand + kJsonBytesPerBand);
    output += c.systems * c.n * c.n * 2.0 * kJsonBytesPerNumber + kPageBytes;
    if (ownPages(c)) {
      // The index, and every system's tables on the pages of their own,
      // which share one copy of the page's code.
      output += kIndexPageBytes + kPageBytes +
                c.tables * std::min(typicalBands, ownPageBands(c)) * kPageBytesPerBand +
                c.systems * kOwnPageBytes;
    } else {
      output += c.tables * drawn * kPageBytesPerBand;
    }
  }
  footprint.outputBytes = output + c.tables * kFileBytesPerTable;
  return footprint;
}

FootprintLimits machineLimits() {
  FootprintLimits limits;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGE_SIZE);
  double memory = pages > 0 && pageSize > 0
                      ? static_cast<double>(pages) * static_cast<double>(pageSize)
                      : 0.0;
  const double group = readLimit("/sys/fs/cgroup/memory.max");
  if (group > 0.0 && (memory == 0.0 || group < memory)) memory = group;
  // Unknown: no limit from memory.
  limits.memoryBytes = memory > 0.0 ? memory / 2.0 : HUGE_VAL;
  return limits;
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
