// The data family: entries of "DataRHS.txt", each given by its measured
// values (m of them, the same m for every entry, at least 2), which a system
// may go without. An entry follows their empirical distribution: each value
// with probability 1/m, the entries independent.
//
// Its numbers reach the row sorted, entry by entry (entryParameters). An
// enumerating phase takes each value as a cell of weight 1/m (m cells per
// entry whatever the settings say, so m^n jobs), which makes its bands the
// distribution of the unknowns itself, up to the rounding of each solve.
// Draws are its quantile: the value at position floor(u m) of the sorted
// ones, within [smallest, largest]. Moments are those of the empirical
// distribution (the variance divides by m, not m - 1); the exact ones are
// rational.
#ifndef LINPROB_DISTRIBUTIONS_DATA_FAMILY_H_
#define LINPROB_DISTRIBUTIONS_DATA_FAMILY_H_

#include <span>
#include <string>
#include <vector>

#include "distributions/entry_parameters.h"
#include "distributions/sample_rectangle.h"
#include "linear/normal_parameters.h"

namespace linprob {

struct ExactEntryMoments;  // linear/exact_moments.h

// The check of an entry of its file and its made-up entry, for its row of
// kParameterKinds (distributions/parameter_files.h).
namespace parameter_checks {
// "row 1 has a value that is not finite (nan)",
// "row 1 has values too far apart for a finite variance".
void dataEntry(unsigned entry, std::span<const double> numbers,
               std::vector<std::string>& problems);
}  // namespace parameter_checks
namespace parameter_stand_ins {
// Two values, center -+ halfWidth.
void dataEntry(double center, double halfWidth, std::vector<double>& numbers);
}  // namespace parameter_stand_ins

namespace family_rows {
// One cell per value of each entry (entries.width rows, whatever `count`
// is, none for count <= 0).
RectangleTable dataCells(int count, const EntryParameters& entries);
NormalParameters dataMoments(EntryNumbers entry);
ExactEntryMoments exactDataMoments(EntryNumbers entry);
SamplingRange dataRange(EntryNumbers entry);
double dataQuantile(EntryNumbers entry, double u);
}  // namespace family_rows

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_DATA_FAMILY_H_
