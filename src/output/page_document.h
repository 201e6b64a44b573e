// The report page's own copy of the results document: results.json as
// written, with changes that keep the page small and quick to draw at any
// system size. Report/results.json, bands.csv and unknowns.csv keep every
// value; only the page's copy is shaped here.
//
//   bands     a table of more than mostBands bands is merged
//             (results_json.h, pageBandsPerChart).
//   matrix    a system of more than kMatrixTableMost unknowns has "matrix"
//             null and "matrix_map" instead: the matrix cut into blocks of
//             `block` x `block` entries (at most kMapCells per side), each
//             block the largest |a_ij| in it, rounded up to 3 significant
//             digits; and, when the references were certified,
//             "inverse_map", the same of |A^-1| (the upper end of each
//             entry's enclosure in magnitude). Each map is
//             {"size": n, "block": g, "max_abs": [[row of blocks], ...]}.
//   sensitivity  null above kMatrixTableMost unknowns, with a reason that
//             names the files holding the shares.
//   tables    when the full tables of the systems the page draws would
//             exceed kPageTableBytes together (a single system's alone),
//             each system keeps its full tables for its worst unknowns
//             only (largest total variation of INVALID against VALID over
//             every mode and family first, then the lower index), as many
//             as its part of kPageTableBytes holds; every other unknown's
//             entry in each family is the summary {"unknown",
//             "total_variation": [INVALID, exact linear], "validated":
//             [INVALID, exact linear]} (null where not computed; the entry
//             is null-valued when the phase solved no job).
//   systems   the index page draws the worst systems (by the largest total
//             variation of INVALID, then the lower index), as many as fit
//             in full: kMostPageSystems at most, their full tables within
//             kPageTableBytes and the rest of them within kPageSystemBytes
//             together; the worst is always drawn, with its worst unknowns
//             when its tables alone exceed kPageTableBytes. When that
//             leaves some out, the copy holds the drawn systems (in index
//             order) and "system_list" (system_list.h), and each system
//             left out has a page of its own, Report/systems/
//             system-<index>.html, whose copy holds that system alone in the
//             form a run of that system alone would give it, and
//             "own_page": {"system_count", "report_folder": "../"}.
//
// The forms are chosen in output/page_form.h (which measures a system's
// part of the copy through results_json.h); this file holds what the
// copy's writer takes from the page: the forms' types and limits, the
// maps, the order of the worst unknowns and a table's summary.
#ifndef LINPROB_OUTPUT_PAGE_DOCUMENT_H_
#define LINPROB_OUTPUT_PAGE_DOCUMENT_H_

#include <cstddef>
#include <vector>

#include <nlohmann/json.hpp>

#include "results/result_store.h"

namespace linprob {

inline constexpr unsigned kMatrixTableMost = 20;
inline constexpr unsigned kMapCells = 100;
inline constexpr std::size_t kPageTableBytes = 1500000;
inline constexpr std::size_t kPageSystemBytes = 1500000;
inline constexpr int kMostPageSystems = 10;

enum class TableForm { kFull, kSummary };

// Where the copy is shown: the index page of the run, or the page of one
// system of its own.
enum class PageKind { kIndex, kOwnPage };

struct PageForm {
  std::size_t mostBands = 0;  // 0: no table merged
  // [system][unknown]; empty, or a system's row empty: every table in full.
  std::vector<std::vector<TableForm>> tables;
  // The systems the copy holds, in index order; empty: every system.
  std::vector<int> systems;
  PageKind kind = PageKind::kIndex;

  TableForm table(int system, int unknown) const {
    const auto s = static_cast<std::size_t>(system);
    if (s >= tables.size() || tables[s].empty()) return TableForm::kFull;
    return tables[s][static_cast<std::size_t>(unknown)];
  }
  // Whether the index page leaves systems to their own pages.
  bool listsSystems() const {
    return kind == PageKind::kIndex && !systems.empty();
  }
};

// The maps of the matrix and of its certified inverse, as described above
// (null when the system has no reference, or no certified inverse).
nlohmann::ordered_json matrixMapJson(const SystemReference& reference);
nlohmann::ordered_json inverseMapJson(const SystemReference& reference);

// At most `most` unknowns of `system`, the worst first: by the largest total
// variation of INVALID against VALID over every mode and family (none
// counts as the least), then the lower index.
std::vector<int> worstUnknowns(const ResultStore& store, int system,
                               std::size_t most);

// The summary entry of one unknown in one family.
nlohmann::ordered_json tableSummaryJson(int unknown,
                                        const PositionResult* position);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_PAGE_DOCUMENT_H_
