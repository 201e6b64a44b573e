// The random matrices a system may have in place of its fixed one, one file
// per kind of parameters of two numbers an entry:
//
//   "NormalMatice.txt"   n x n pairs (mean, variance), row by row: the
//                        matrix of the families that read NormalRHS.txt;
//   "UniformMatice.txt"  n x n pairs (lower, upper): the matrix of the
//                        families that read UniformRHS.txt (uniform and
//                        triangular, each in its own shape).
//
// Where a system has one, its phases of those families draw the matrix
// with the right-hand side in every sample and eliminate it afresh; the
// other families keep Matice.txt. A file is checked entry by entry with its
// kind's own check, each problem named by row and column.
#ifndef LINPROB_DISTRIBUTIONS_RANDOM_MATRIX_FILES_H_
#define LINPROB_DISTRIBUTIONS_RANDOM_MATRIX_FILES_H_

#include <array>
#include <string>
#include <vector>

#include "distributions/family.h"
#include "distributions/parameter_files.h"

namespace linprob {

struct RandomMatrixFile {
  ParameterKind kind;
  const char* file;
};

inline constexpr std::array<RandomMatrixFile, 2> kRandomMatrixFiles = {{
    {ParameterKind::kNormal, "NormalMatice.txt"},
    {ParameterKind::kBounds, "UniformMatice.txt"},
}};

// The file of a random matrix of `kind`'s parameters, nullptr for a kind
// that has none.
const char* randomMatrixFileOf(ParameterKind kind);

// The mean matrix of a random matrix's numbers (2 n^2 of them, row-major)
// under `family`: its entries' means as the family's moments give them
// (the families that share a kind of parameters share their means: the
// middle of a (lower, upper) pair for the uniform and the symmetric
// triangular entry alike).
std::vector<double> meanMatrixOf(const FamilyInfo& family,
                                 const std::vector<double>& numbers);

// The problems of an n x n random matrix's numbers (2 n^2 of them), one line
// each as reported after the file name, e.g. "row 1, column 0 has a
// negative variance (-2)"; empty when it is sound. Rows and columns from 0.
std::vector<std::string> checkRandomMatrix(const std::vector<double>& numbers,
                                           unsigned n, ParameterKind kind);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_RANDOM_MATRIX_FILES_H_
