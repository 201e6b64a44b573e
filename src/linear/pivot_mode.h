// PivotMode: the four ways the elimination searches for its pivots, in the
// order a run processes them. Mode index m has row pivoting when m is odd
// and column pivoting when m >= 2; both flags give complete pivoting.
//
// Every name a mode goes by lives here once: its label in results
// ("NoPivot" ...), its summary file ("RESULTS_FF.txt": the first letter after
// the underscore stands for row pivoting, the second for column pivoting, T
// or F), its label in the CSV export and its plain name in messages.
#ifndef LINPROB_LINEAR_PIVOT_MODE_H_
#define LINPROB_LINEAR_PIVOT_MODE_H_

#include <array>
#include <cassert>

namespace linprob {

struct PivotMode {
  int index;               // 0 ... 3, the store's and the export's index
  bool rowPivot;
  bool colPivot;
  const char* label;       // "NoPivot", "RowPivot", "ColPivot", "RowColPivot"
  const char* summaryFile; // "RESULTS_FF.txt" ...
  const char* csvLabel;    // the label with the two semicolons the CSV needs
  const char* plainName;   // "none", "row", "column", "both"
};

inline constexpr std::array<PivotMode, 4> kPivotModes = {{
    {0, false, false, "NoPivot", "RESULTS_FF.txt", "NoPivot;;", "none"},
    {1, true, false, "RowPivot", "RESULTS_TF.txt", "RowPivot;;", "row"},
    {2, false, true, "ColPivot", "RESULTS_FT.txt", "ColPivot;;", "column"},
    {3, true, true, "RowColPivot", "RESULTS_TT.txt", "RowColPivot;;", "both"},
}};

inline const PivotMode& pivotMode(int index) {
  assert(index >= 0 && index < static_cast<int>(kPivotModes.size()));
  return kPivotModes[static_cast<std::size_t>(index)];
}

}  // namespace linprob

#endif  // LINPROB_LINEAR_PIVOT_MODE_H_
