// The words results.nc gives each of its variables: a long_name and units.
// The columns of unknowns.csv and bands.csv become variables of the same
// name (results_nc.h), so every column has a row here (but an added
// measure's, which carries its own words: results/added_measure.h); a
// column without one fails the report's tests, not a run (variableText
// then gives the name itself and no units).
//
// Units: "1" for probabilities, shares and other pure numbers, "units of x"
// for values on the scale of the unknowns, "units of b" for values on the
// scale of the right-hand side, "ulp" for distances in units in the last
// place.
#ifndef LINPROB_OUTPUT_NC_VARIABLES_H_
#define LINPROB_OUTPUT_NC_VARIABLES_H_

#include <optional>
#include <string_view>

namespace linprob {

struct VariableText {
  std::string_view name;
  std::string_view longName;
  std::string_view units;  // empty: no units attribute (texts, verdicts)
};

// The row of `name`, if there is one.
std::optional<VariableText> findVariableText(std::string_view name);
// The row of `name`, or {name, name, ""}.
VariableText variableText(std::string_view name);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_NC_VARIABLES_H_
