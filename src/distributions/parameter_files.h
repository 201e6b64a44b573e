// The distribution parameter files of a system.
//
// "NormalRHS.txt" holds n pairs (mean, variance); "UniformRHS.txt" n pairs
// (lower, upper), used by the uniform and the triangular family. The driver
// checks the files before the run with checkParameterFile; loadPhaseJobs
// then turns a file into the jobs of one phase: enumeration of discretised
// cells (count = cells per entry) or random sampling (count = samples).
#ifndef LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_
#define LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/status.h"
#include "distributions/family.h"
#include "distributions/job_source.h"

namespace linprob {

// Reads 2n numbers and checks each pair. Returns one problem per line, empty
// when the file is sound. Problems, as reported after the file name:
//   those of readNumbers ("missing", "only 3 of the 4 numbers needed", ...);
//   kNormal: "pair 1 has a negative variance (-2)",
//            "pair 1 has a variance that is not finite (inf)",
//            "pair 1 has a mean that is not finite (nan)";
//   kBounds: "pair 1 has its lower end above its upper end (3 > 1)",
//            "pair 1 has an end that is not finite (inf)".
// Pairs are counted from 0.
std::vector<std::string> checkParameterFile(const std::string& path, unsigned n,
                                            ParameterKind kind);

// Reads the family's parameter file (the caller passes NormalRHS.txt for the
// normal family, UniformRHS.txt for the others) and builds the phase's jobs:
// the cell table of `count` cells per entry when enumerating, else the
// sampling parameters with `count` samples and `seed`, or when there is none
// a seed drawn once (drawSeed). Returns ok or the readNumbers problem.
Status loadPhaseJobs(Family family, const std::string& path, unsigned n,
                     int count, bool enumerate, PhaseJobs& jobs,
                     std::optional<std::uint64_t> seed = std::nullopt);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_
