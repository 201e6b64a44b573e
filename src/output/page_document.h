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
//   tables    when the full tables of every unknown would exceed
//             kPageTableBytes together, each system keeps its full tables
//             for its worst unknowns only (largest total variation of
//             INVALID against VALID over every mode and family first, then
//             the lower index), as many as its share of kPageTableBytes
//             holds; every other unknown's entry in each family is the
//             summary {"unknown", "total_variation": [INVALID, exact
//             linear], "validated": [INVALID, exact linear]} (null where
//             not computed; the entry is null-valued when the phase solved
//             no job).
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

enum class TableForm { kFull, kSummary };

struct PageForm {
  std::size_t mostBands = 0;  // 0: no table merged
  // [system][unknown]; empty: every table in full.
  std::vector<std::vector<TableForm>> tables;

  TableForm table(int system, int unknown) const {
    if (tables.empty()) return TableForm::kFull;
    return tables[static_cast<std::size_t>(system)]
                 [static_cast<std::size_t>(unknown)];
  }
};

// The form of the page's copy for the run in `store`.
PageForm choosePageForm(const ResultStore& store);

// The maps of the matrix and of its certified inverse, as described above
// (null when the system has no reference, or no certified inverse).
nlohmann::ordered_json matrixMapJson(const SystemReference& reference);
nlohmann::ordered_json inverseMapJson(const SystemReference& reference);

// The summary entry of one unknown in one family.
nlohmann::ordered_json tableSummaryJson(int unknown,
                                        const PositionResult* position);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_PAGE_DOCUMENT_H_
