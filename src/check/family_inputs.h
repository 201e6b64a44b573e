// FamilyInputs: one family of one system as the start-of-run check
// prepared it (check/family_check.h) and the check of its bands reads it
// (check/band_check.h).
#ifndef LINPROB_CHECK_FAMILY_INPUTS_H_
#define LINPROB_CHECK_FAMILY_INPUTS_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/run_config.h"
#include "distributions/entry_correlation.h"
#include "distributions/entry_parameters.h"
#include "distributions/family.h"
#include "linear/interval.h"
#include "linear/normal_parameters.h"

namespace linprob {

// One family's parameters, ready for every mode: its box and its moments,
// or the problem that makes either unusable.
struct FamilyInputs {
  const FamilyInfo* info = nullptr;
  std::string file;         // "Matrix0/UniformRHS.txt"
  // What the family's phases are made of (check/band_check.h): the run,
  // the system's index, the family's parameters and, in sampling,
  // the run's seed.
  const RunConfig* config = nullptr;
  int system = 0;
  EntryParameters entries;
  std::optional<std::uint64_t> runSeed;
  // The entries' correlation, none when independent.
  std::shared_ptr<const CorrelationFactor> correlation;
  std::vector<Interval> box;
  std::vector<NormalParameters> moments;
  double leastVariance = 0.0;  // see leastVariance()
  bool reported = false;    // a line was written; nothing more about it
};

}  // namespace linprob

#endif  // LINPROB_CHECK_FAMILY_INPUTS_H_
