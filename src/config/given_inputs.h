// A run's inputs handed over in memory instead of read from its working
// folder (the Python package): the settings as Settings.txt would hold
// them, and each system's numbers as its files would hold them, system i
// in the place of "Matrix<i>/". The start-of-run check
// (check/given_check.h) checks them as it checks the files' numbers and
// names each problem by the file that would have held it.
#ifndef LINPROB_CONFIG_GIVEN_INPUTS_H_
#define LINPROB_CONFIG_GIVEN_INPUTS_H_

#include <vector>

#include "config/settings.h"
#include "results/system_reference.h"

namespace linprob {

struct GivenInputs {
  // The eight options of Settings.txt; MaxMatrix is the count of systems.
  RunSettings settings;
  // `system` and `n` of each are set by the check; the matrix row by row,
  // the interval's pairs, and every kind's parameters, as in the files.
  std::vector<SystemNumbers> systems;
};

}  // namespace linprob

#endif  // LINPROB_CONFIG_GIVEN_INPUTS_H_
