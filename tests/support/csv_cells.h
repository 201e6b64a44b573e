// Test helpers: the cells of one line of a comma-separated table, an empty
// last cell kept.
#ifndef LINPROB_TESTS_SUPPORT_CSV_CELLS_H_
#define LINPROB_TESTS_SUPPORT_CSV_CELLS_H_

#include <sstream>
#include <string>
#include <vector>

namespace linprob::testing_support {

inline std::vector<std::string> csvCells(const std::string& line) {
  std::vector<std::string> result;
  std::stringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) result.push_back(cell);
  if (!line.empty() && line.back() == ',') result.push_back("");
  return result;
}

}  // namespace linprob::testing_support

#endif  // LINPROB_TESTS_SUPPORT_CSV_CELLS_H_
