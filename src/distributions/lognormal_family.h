// The lognormal family: entries of "LognormalRHS.txt", each a positive
// quantity given by its own mean m and variance v (not its logarithm's),
// which a system may go without. Its logarithm is normal with
//   s^2 = log(1 + v / m^2),  mu = log(m) - s^2 / 2.
//
// Cells follow the normal family's rule (distributions/discretisation.h):
// `count` cells of the normal width for the entry's deviation, centred on
// its mean, each weighted by the lognormal density at its value (none below
// zero), normalised; an entry of variance 0 is its mean. Draws are its
// quantile, exp(mu + s z(u)), within exp(mu -+ 40 s). The entry's own mean
// and variance are the file's numbers, so its exact moments are those
// numbers; no exact law of sums of lognormals is written, so its phases
// have no continuous truth.
#ifndef LINPROB_DISTRIBUTIONS_LOGNORMAL_FAMILY_H_
#define LINPROB_DISTRIBUTIONS_LOGNORMAL_FAMILY_H_

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
// "pair 1 has a mean that is not positive (-2)", and the normal pair's.
void lognormalEntry(unsigned entry, std::span<const double> numbers,
                    std::vector<std::string>& problems);
}  // namespace parameter_checks
namespace parameter_stand_ins {
// The normal entry's, its mean held positive: |center| + halfWidth, or 1.
void lognormalEntry(double center, double halfWidth,
                    std::vector<double>& numbers);
}  // namespace parameter_stand_ins

namespace family_rows {
RectangleTable lognormalCells(int count, const EntryParameters& entries);
NormalParameters lognormalMoments(EntryNumbers entry);
ExactEntryMoments exactLognormalMoments(EntryNumbers entry);
SamplingRange lognormalRange(EntryNumbers entry);
double lognormalQuantile(EntryNumbers entry, double u);
}  // namespace family_rows

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_LOGNORMAL_FAMILY_H_
