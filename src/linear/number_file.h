// Reading the numbers of an input file.
//
// All input files of a system are plain text: numbers separated by any white
// space, line structure carries no meaning, and whatever follows the numbers a
// reader needs is ignored. readNumbers reads exactly `count` numbers and
// reports, instead of guessing, when the file is missing, too short or holds a
// token that is not a number. A token must be a whole number in the notation
// of formatted stream extraction (optional sign, decimal point, exponent);
// "inf", "nan" and values beyond the range of double are refused.
#ifndef LINPROB_LINEAR_NUMBER_FILE_H_
#define LINPROB_LINEAR_NUMBER_FILE_H_

#include <cstddef>
#include <string>
#include <vector>

namespace linprob {

struct NumberFile {
  std::vector<double> values;  // the numbers read, at most `count`
  std::string problem;         // empty when all `count` numbers were read
  bool ok() const { return problem.empty(); }
};

// Problems, exactly as reported after the file name:
//   "missing"
//   "only 3 of the 4 numbers needed"
//   "\"abc\" is not a number"
//   "\"1e999\" is out of the range of double"
NumberFile readNumbers(const std::string& path, std::size_t count);

}  // namespace linprob

#endif  // LINPROB_LINEAR_NUMBER_FILE_H_
