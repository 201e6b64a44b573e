// The distribution parameter files of a system and the phase entry
// operations.
//
// "NormalRHS.txt" holds n pairs (mean, variance); "UniformRHS.txt" n pairs
// (lower, upper), used by the uniform and the triangular family. Each entry
// operation reads its file and produces the whole phase: by enumeration of
// discretised cells (enumerate == true, count = cells per entry) or by random
// sampling (count = samples), ending with the stopper. The driver checks the
// files before the run with checkParameterFile, so the entry operations can
// rely on n valid pairs.
#ifndef LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_
#define LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_

#include <string>
#include <vector>

#include "distributions/job_queue.h"

namespace linprob {

enum class ParameterKind { kNormal, kBounds };

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

void produceNormalJobs(std::string path, JobQueue& jobs, unsigned n, int count,
                       bool enumerate, int generatorCount);
void produceTriangularJobs(std::string path, JobQueue& jobs, unsigned n,
                           int count, bool enumerate, int generatorCount);
void produceUniformJobs(std::string path, JobQueue& jobs, unsigned n,
                        int count, bool enumerate, int generatorCount);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_
