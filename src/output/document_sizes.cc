#include "output/document_sizes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <ostream>
#include <string_view>

#include "base/counted_bytes.h"
#include "distributions/family.h"
#include "linear/pivot_mode.h"
#include "output/html_report.h"
#include "output/page_document.h"
#include "output/page_form.h"
#include "output/report_scale.h"
#include "output/results_json.h"
#include "results/added_measure.h"
#include "results/result_store.h"

namespace linprob {
namespace {

// A number of an array, with its comma.
constexpr double kNumberBytes = kRoundTripChars + 1.0;
// "program" and "run": names, version, commit, the settings, the seed.
constexpr double kRunBytes = 800.0;
// A system's head besides its arrays: index, folder, the condition number
// and its verdict, the reasons in words; per unknown the plain and interval
// right-hand sides, the true solution and the hull (six numbers).
constexpr double kSystemHeadBytes = 1500.0;
constexpr double kHeadNumbersPerUnknown = 7.0;
// A mode's fields besides its arrays, and a family's.
constexpr double kModeBytes = 150.0;
constexpr double kFamilyBytes = 150.0;

// The tables of one unknown: one per pivoting mode and family analysed.
double tablesPerUnknown(const RunShape& shape) {
  return static_cast<double>(kPivotModes.size()) * shape.familyCount();
}
// An unknown's entry in a mode: its field names (104 characters) and seven
// numbers (exact, its bounds, the interval, the error in last places and
// the overestimation).
constexpr double kSolutionNameBytes = 110.0;
constexpr double kSolutionNumbers = 7.0;
// A table's summary entry (page_document.h, tableSummaryJson): its names
// and two pairs of a total variation and a verdict.
constexpr double kSummaryBytes = 150.0;
// A full table's field names; those of its standard errors (sampling) and
// of its convergence (two batches or more).
constexpr double kTableNameBytes = 950.0;
constexpr double kErrorNameBytes = 300.0;
constexpr double kConvergenceNameBytes = 200.0;
// A cell of a matrix map (three significant digits), and a map besides.
constexpr double kMapCellBytes = 10.0;
constexpr double kMapBytes = 50.0;
// The page's list of every system, per system and besides; a page of its
// own's "own_page".
constexpr double kSystemListRowBytes = 100.0;
constexpr double kSystemListBytes = 300.0;
constexpr double kOwnPageFieldBytes = 100.0;

constexpr double kModes = static_cast<double>(kPivotModes.size());

template <typename Write>
double writtenBytes(Write write) {
  return static_cast<double>(countedBytes(write));
}

// The index page and a page of its own without their document ("0"), and
// the files the pages of their own share.
double indexCodeBytes() {
  static const double bytes =
      writtenBytes([](std::ostream& out) { writeHtmlReport("0", out); }) - 1.0;
  return bytes;
}

double ownPageCodeBytes() {
  static const double bytes =
      writtenBytes([](std::ostream& out) { writeOwnPage("0", out); }) - 1.0;
  return bytes;
}

double sharedFilesBytes() {
  static const double bytes =
      writtenBytes(writeSharedScript) + writtenBytes(writeSharedStyleSheet);
  return bytes;
}

double tableBytes(const RunShape& shape, double bands) {
  double names = kTableNameBytes;
  double numbers = shape.certifies() ? 6.0 * bands + 43.0 : 3.0 * bands + 25.0;
  // Coverage intervals and their validations; their standard errors.
  if (!shape.covers()) numbers -= shape.sampling() ? 15.0 : 11.0;
  if (shape.sampling()) {
    names += kErrorNameBytes;
    numbers += bands + 9.0;
    if (shape.batches >= 2) {
      names += kConvergenceNameBytes;
      numbers += 8.0 * shape.batches;
    }
  }
  // The added measures' members: a name and a number per column, besides
  // the member's own name.
  for (const AddedMeasure& measure : addedMeasures()) {
    names += static_cast<double>(measure.field.size()) + 4.0;
    for (const AddedColumn& column : measure.columns) {
      names += static_cast<double>(column.name.size()) + 4.0;
      numbers += 1.0;
    }
  }
  return names + numbers * kNumberBytes;
}

// What a system's head holds besides its scalars: the matrix and the
// shares, their maps (the page above kMatrixTableMost unknowns), or
// neither (results.json above kFullArraysMost).
enum class HeadArrays { kFull, kMaps, kNone };

double headBytes(const RunShape& shape, HeadArrays arrays) {
  const double n = shape.unknowns;
  double head = kSystemHeadBytes + n * kHeadNumbersPerUnknown * kNumberBytes;
  if (arrays == HeadArrays::kFull) {
    head += n * (n * kNumberBytes + 2.0);
    if (shape.certifies()) {
      const double arraysPerUnknown = shape.sampling() ? 2.0 : 3.0;
      head += shape.familyCount() *
              (kFamilyBytes + n * (kFamilyBytes + indexChars(n) +
                                   n * arraysPerUnknown * kNumberBytes));
    }
  } else if (arrays == HeadArrays::kMaps) {
    const double block = std::ceil(n / kMapCells);
    const double cells = std::ceil(n / block);
    head += (shape.certifies() ? 2.0 : 1.0) *
            (cells * cells * kMapCellBytes + kMapBytes);
  }
  return head;
}

HeadArrays pageHead(const RunShape& shape) {
  return shape.unknowns <= static_cast<int>(kMatrixTableMost) ? HeadArrays::kFull
                                                              : HeadArrays::kMaps;
}

// A system's modes with the tables of `full` unknowns in full (`bands`
// bands), the others' summaries.
double modesBytes(const RunShape& shape, double full, double bands) {
  const double n = shape.unknowns;
  const double d = indexChars(n);
  const double solutions =
      n * (kSolutionNameBytes + 2.0 * d + 1.0 + kSolutionNumbers * kNumberBytes);
  const double tables =
      shape.familyCount() * (kFamilyBytes + full * tableBytes(shape, bands) +
                          (n - full) * (kSummaryBytes + d));
  return kModes * (kModeBytes + solutions + tables);
}

// The bands of a page's chart of `bands` bands, merged to at most
// `mostBands` (results_json.h).
double mergedBands(double bands, std::size_t mostBands) {
  const auto most = static_cast<double>(mostBands);
  if (mostBands == 0 || bands <= most) return bands;
  return std::ceil(bands / std::ceil(bands / most));
}

// What choosePageForm counts a full table of `bands` bands
// (page_form.cc): 600 bytes, and 20 per number of its bands, its
// convergence and its standard errors, and 40 more.
double pageTableCost(const RunShape& shape, double bands) {
  const double points = shape.sampling() && shape.batches >= 2 ? shape.batches : 0.0;
  const double errors = shape.sampling() ? bands + 10.0 : 0.0;
  return 600.0 + (6.0 * bands + 8.0 * points + 40.0 + errors) * 20.0;
}

// The systems a page draws, the unknowns each keeps in full there, and the
// bands of their charts.
struct PageDraw {
  double systems = 1.0;
  double fullUnknowns = 0.0;
  double bands = 0.0;
};

// As choosePageForm (chooseOwnPageForm for a shape of one system) would
// choose for systems alike, their tables of `bands` bands and each
// system's summaries `summaryScale` times the estimate here.
PageDraw pageDraw(const RunShape& shape, double bands, double summaryScale) {
  const double n = shape.unknowns;
  const double most =
      std::min<double>(shape.systems, static_cast<double>(kMostPageSystems));
  const std::size_t mostBands = pageBandsPerChart(
      static_cast<std::size_t>(most * tablesPerUnknown(shape) * n));
  PageDraw draw;
  draw.bands = mergedBands(bands, mostBands);
  const double unknownCost = tablesPerUnknown(shape) * pageTableCost(shape, draw.bands);
  const double full = n * unknownCost;
  const double summaries =
      shape.systems > 1
          ? summaryScale * (headBytes(shape, pageHead(shape)) +
                            modesBytes(shape, 0.0, draw.bands))
          : 0.0;
  const auto tableBudget = static_cast<double>(kPageTableBytes);
  const auto systemBudget = static_cast<double>(kPageSystemBytes);
  while (draw.systems < most && (draw.systems + 1.0) * full <= tableBudget &&
         (draw.systems + 1.0) * summaries <= systemBudget) {
    draw.systems += 1.0;
  }
  draw.fullUnknowns = n;
  if (draw.systems * full > tableBudget) {
    const double budget = std::floor(tableBudget / draw.systems);
    draw.fullUnknowns = std::clamp(std::floor(budget / unknownCost), 1.0, n);
  }
  return draw;
}

// The fewest bands a table holds: HistogramPrecision.
double fewestBands(const RunShape& shape) {
  return std::max(shape.bands - 1, 1);
}

// The systems that get pages of their own, at most: those beyond the
// fewest the index draws.
double ownPageCount(const RunShape& shape) {
  if (shape.systems <= 0 || shape.unknowns <= 0) return 0.0;
  return shape.systems - pageDraw(shape, shape.bands, 1.0).systems;
}

}  // namespace

double resultsJsonBytes(const RunShape& shape) {
  const bool full = holdsFullArrays(shape.unknowns);
  const double system =
      headBytes(shape, full ? HeadArrays::kFull : HeadArrays::kNone) +
      modesBytes(shape, full ? shape.unknowns : 0.0, shape.bands);
  return kRunBytes + shape.systems * system;
}

double indexPageBytes(const RunShape& shape) {
  if (shape.systems <= 0 || shape.unknowns <= 0) {
    return indexCodeBytes() + kRunBytes;
  }
  // The most the index may hold: as many systems and unknowns in full as
  // tables of the fewest bands allow, each table of the most bands.
  const PageDraw most = pageDraw(shape, fewestBands(shape), 0.5);
  const PageDraw fewest = pageDraw(shape, shape.bands, 1.0);
  double document = kRunBytes +
                    most.systems * (headBytes(shape, pageHead(shape)) +
                                    modesBytes(shape, most.fullUnknowns,
                                               fewest.bands));
  if (fewest.systems < shape.systems) {
    document += kSystemListBytes + shape.systems * kSystemListRowBytes;
  }
  return indexCodeBytes() + document;
}

double ownPageBytes(const RunShape& shape) {
  if (ownPageCount(shape) <= 0.0) return 0.0;
  // As the index of a run of that system alone.
  RunShape alone = shape;
  alone.systems = 1;
  const PageDraw most = pageDraw(alone, fewestBands(shape), 1.0);
  const double bands = pageDraw(alone, shape.bands, 1.0).bands;
  return ownPageCodeBytes() + kRunBytes + kOwnPageFieldBytes +
         headBytes(shape, pageHead(shape)) +
         modesBytes(shape, most.fullUnknowns, bands);
}

double ownPagesBytes(const RunShape& shape) {
  const double pages = ownPageCount(shape);
  return pages > 0.0 ? pages * ownPageBytes(shape) + sharedFilesBytes() : 0.0;
}

}  // namespace linprob
