// Options of the command line that the run cannot use: --digits and
// --points (other than random) choose how sampling phases draw, so in
// enumeration (ExactDistributions 1) they change nothing. Each earns one
// warning line, printed by the run and by --check alike; the run goes on.
#ifndef LINPROB_CHECK_UNUSED_OPTIONS_H_
#define LINPROB_CHECK_UNUSED_OPTIONS_H_

#include <string>
#include <vector>

#include "config/settings.h"

namespace linprob {

// One line per option without effect on a run of these (checked)
// settings, in the order of --help, e.g.
//   "--digits 2: has no effect in enumeration (ExactDistributions 1); it
//    sets the samples of sampling phases"
std::vector<std::string> unusedOptionLines(const RunSettings& settings);

}  // namespace linprob

#endif  // LINPROB_CHECK_UNUSED_OPTIONS_H_
