// Entries of two numbers each, (first[e], second[e]), as a parameter file of
// pairs holds them: the way tests write a family's parameters column by
// column.
#ifndef LINPROB_TESTS_SUPPORT_PAIR_ENTRIES_H_
#define LINPROB_TESTS_SUPPORT_PAIR_ENTRIES_H_

#include <cstddef>
#include <vector>

#include "distributions/entry_parameters.h"

namespace linprob::testing {

inline EntryParameters pairEntries(const std::vector<double>& first,
                                   const std::vector<double>& second) {
  EntryParameters entries;
  entries.width = 2;
  for (std::size_t e = 0; e < first.size(); ++e) {
    entries.numbers.push_back(first[e]);
    entries.numbers.push_back(second[e]);
  }
  return entries;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_PAIR_ENTRIES_H_
