// A run's inputs handed over in memory instead of read from its working
// folder (the Python package): the settings as Settings.txt would hold
// them, and each system's numbers as its files would hold them, system i
// in the place of "Matrix<i>/". The start-of-run check
// (check/given_check.h) checks them as it checks the files' numbers and
// names each problem by the file that would have held it.
#ifndef LINPROB_CONFIG_GIVEN_INPUTS_H_
#define LINPROB_CONFIG_GIVEN_INPUTS_H_

#include <bitset>
#include <vector>

#include "config/settings.h"
#include "linear/pivot_mode.h"
#include "results/system_reference.h"

namespace linprob {

// The pivoting modes a run analyses, by PivotMode::index.
using ModeSet = std::bitset<kPivotModes.size()>;

struct GivenInputs {
  // The eight options of Settings.txt; MaxMatrix is the count of systems.
  RunSettings settings;
  // `system` and `n` of each are set by the check; the matrix row by row,
  // the interval's pairs, and every kind's parameters, as in the files
  // (those of a kind no family of the system reads may be empty); the
  // families each is analysed under.
  std::vector<SystemNumbers> systems;
  // The modes the run analyses (the others are not computed, and the
  // report leaves them out).
  ModeSet modes = ModeSet().set();
};

}  // namespace linprob

#endif  // LINPROB_CONFIG_GIVEN_INPUTS_H_
