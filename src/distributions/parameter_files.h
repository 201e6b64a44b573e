// The distribution parameter files of a system.
//
// "NormalRHS.txt" holds n pairs (mean, variance); "UniformRHS.txt" n pairs
// (lower, upper), used by the uniform and the triangular family. The driver
// checks the numbers of each file, read once, with checkParameterPairs.
#ifndef LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_
#define LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_

#include <string>
#include <vector>

#include "base/status.h"
#include "distributions/family.h"

namespace linprob {

// Checks each of the n pairs of a file's 2n numbers, already read. Returns
// one problem per line, empty when the file is sound. Problems, as reported
// after the file name:
//   kNormal: "pair 1 has a negative variance (-2)",
//            "pair 1 has a variance that is not finite (inf)",
//            "pair 1 has a mean that is not finite (nan)";
//   kBounds: "pair 1 has its lower end above its upper end (3 > 1)",
//            "pair 1 has an end that is not finite (inf)".
// Pairs are counted from 0.
std::vector<std::string> checkParameterPairs(const std::vector<double>& numbers,
                                             unsigned n, ParameterKind kind);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_
