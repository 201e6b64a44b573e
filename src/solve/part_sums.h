// PartSums: one solution position's partial sums over a part of an
// enumeration phase's entries (entries first ... end-1), one per
// combination of their cells.
//
// Combination c of a part is the c-th in lexicographic order, the part's
// first entry slowest (as a job's cells in enumeration). Its value is the
// sum of its cells' contributions (Contributions::at) added in entry order,
// its probability the product of its cells' probabilities multiplied in
// entry order from 1.0. A part of no entries has one combination, of value
// 0.0 and probability 1.0.
//
// sortPart orders the sums ascending by value, ties by combination, either
// as a whole or within consecutive blocks of a given length (the blocks of
// a part that holds entry 0 are its prefixes). Ranges of a sorted part keep
// their masses as sums of probabilities only (PartMasses), never as the
// difference of two sums, so that the mass of a range is exact to a few
// roundings relative to itself, however small it is.
#ifndef LINPROB_SOLVE_PART_SUMS_H_
#define LINPROB_SOLVE_PART_SUMS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "distributions/enumeration_jobs.h"
#include "solve/contributions.h"

namespace linprob {

struct PartSums {
  std::vector<double> values;
  std::vector<double> probabilities;
  std::vector<std::uint32_t> combinations;

  std::size_t size() const { return probabilities.size(); }
};

// The combinations of entries first ... end-1 in lexicographic order:
// their probabilities only (the same for every position), and with the
// values of `position`. Throws std::length_error "part sums: too many
// combinations" beyond 2^32.
PartSums partProbabilities(const EnumerationJobs& jobs, unsigned first,
                           unsigned end);
PartSums partSums(const Contributions& contributions, const PartSums& listed,
                  unsigned position, unsigned first, unsigned end);

// Sorts within consecutive blocks of `block` sums (the whole part when
// block is 0 or the part's size).
void sortPart(PartSums& part, std::size_t block);

// Writes the cells of combination `combination` of entries first ... end-1
// into `cells` (one per entry, cells[first] ... cells[end-1]).
void cellsOf(std::uint32_t combination, std::size_t cellCount, unsigned first,
             unsigned end, std::uint32_t* cells);

// The masses of ranges of a sorted part: prefix sums from the bottom,
// suffix sums from the top, and for the ranges in between the difference
// of two prefix sums kept to twice the precision (a sum and its rounding
// error, added up with TwoSum), exact to a rounding relative to the range's
// mass down to 2^-40 of the prefix; below that, the sums of a binary tree
// over the probabilities.
class PartMasses {
 public:
  explicit PartMasses(const std::vector<double>& probabilities);

  // probabilities[0] + ... + probabilities[end-1], added in that order.
  double below(std::size_t end) const { return prefix_[end]; }
  const double* belowData() const { return prefix_.data(); }
  // The mass of first ... end-1 (0.0 when empty).
  double range(std::size_t first, std::size_t end) const;
  double total() const { return prefix_.back(); }

 private:
  std::vector<double> prefix_;  // size + 1
  std::vector<double> prefixError_;  // the roundings prefix_ left out
  std::vector<double> suffix_;  // size + 1
  std::vector<double> tree_;    // 2 * leaves
  std::size_t leaves_ = 1;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_PART_SUMS_H_
