// Reading the numbers of an input file.
//
// All input files of a system are plain text: numbers separated by any white
// space, line structure carries no meaning, and whatever follows the numbers a
// reader needs is ignored. readNumbers reads exactly `count` numbers and
// reports, instead of guessing, when the file cannot be read, is too short or
// holds a token that is not a number. A token must be a whole number in the
// notation of formatted stream extraction (optional sign, decimal point,
// exponent); "inf", "nan" and values beyond the range of double, too large
// ("1e999") or so close to 0 that they would be read as 0 ("1e-999"), are
// refused. A subnormal value ("4.9e-324") is a finite double and is taken
// as the nearest one. Files are read
// through InputFile: a byte-order mark is skipped, and a token is quoted in
// a message as quotedToken() renders it.
#ifndef LINPROB_BASE_NUMBER_FILE_H_
#define LINPROB_BASE_NUMBER_FILE_H_

#include <cstddef>
#include <stop_token>
#include <string>
#include <vector>

#include "base/input_file.h"
#include "base/status.h"

namespace linprob {

// The first `count` numbers of the file at `path`, or the problem, worded to
// follow the file's name:
//   those of InputFile::open ("missing", "is not a regular file", ...)
//   "only 3 of the 4 numbers needed"
//   "\"abc\" is not a number"
//   "\"1e999\" is out of the range of double"
//   "\"1e-999\" is too close to 0 for double (it would be read as 0)"
//   "reading stopped"        `stop` was requested (looked at every few
//                            thousand numbers)
Result<std::vector<double>> readNumbers(const std::string& path,
                                        std::size_t count,
                                        const std::stop_token& stop = {});

// Numbers read line by line: `width` of them on each line, line after line.
struct NumberRows {
  unsigned width = 0;
  std::vector<double> numbers;
};

// The numbers of the first `rows` lines of the file at `path` that hold any
// (lines of white space alone are passed over, lines after them ignored),
// each line as many as the first, at least `leastWidth`; or the problem, worded
// as readNumbers words its own and, with lines counted from 1 and rows (the
// entries they give) from 0:
//   "only 2 lines of numbers, not the 3 needed"
//   "row 0 (line 1) holds 1 number, not at least 2"
//   "row 2 (line 4) holds 3 numbers, not 4 as row 0 does"
Result<NumberRows> readRows(const std::string& path, std::size_t rows,
                            unsigned leastWidth,
                            const std::stop_token& stop = {});

// One token as a number: "" and `value` set, or the problem as above.
std::string parseNumber(const Token& token, double& value);

}  // namespace linprob

#endif  // LINPROB_BASE_NUMBER_FILE_H_
