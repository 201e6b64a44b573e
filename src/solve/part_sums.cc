#include "solve/part_sums.h"

#include <algorithm>
#include <stdexcept>

namespace linprob {
namespace {

std::size_t combinationCount(std::size_t cellCount, unsigned entries) {
  std::size_t count = 1;
  for (unsigned e = 0; e < entries; ++e) {
    if (cellCount != 0 && count > (std::size_t{1} << 32) / cellCount) {
      throw std::length_error("part sums: too many combinations");
    }
    count *= cellCount;
  }
  if (count > (std::size_t{1} << 32)) {
    throw std::length_error("part sums: too many combinations");
  }
  return count;
}

// Calls visit(c, digits) for every combination c of `entries` entries, in
// lexicographic order, after next(depth, digit) has been called for every
// entry whose cell changed, from the slowest to the fastest.
template <typename Next, typename Visit>
void forEachCombination(std::size_t cellCount, unsigned entries, Next&& next,
                        Visit&& visit) {
  const std::size_t count = combinationCount(cellCount, entries);
  if (entries == 0) {
    visit(std::size_t{0});
    return;
  }
  if (cellCount == 0) return;
  std::vector<std::size_t> digit(entries, 0);
  for (unsigned d = 0; d < entries; ++d) next(d, 0);
  for (std::size_t c = 0; c < count; ++c) {
    visit(c);
    unsigned d = entries;
    while (d > 0 && ++digit[d - 1] == cellCount) digit[--d] = 0;
    if (d == 0) break;
    for (unsigned changed = d - 1; changed < entries; ++changed) {
      next(changed, digit[changed]);
    }
  }
}

}  // namespace

PartSums partProbabilities(const EnumerationJobs& jobs, unsigned first,
                           unsigned end) {
  const std::size_t cellCount = jobs.prefixCount();
  const unsigned entries = end - first;
  PartSums part;
  part.probabilities.reserve(combinationCount(cellCount, entries));
  // product[d]: 1.0 times the probabilities of entries first ... first+d, in
  // entry order; the order fixes the rounded product.
  std::vector<double> product(entries, 1.0);
  forEachCombination(
      cellCount, entries,
      [&](unsigned d, std::size_t cell) {
        const double before = d == 0 ? 1.0 : product[d - 1];
        product[d] = before * jobs.cells[cell][first + d].probability;
      },
      [&](std::size_t) {
        part.probabilities.push_back(entries == 0 ? 1.0
                                                  : product[entries - 1]);
      });
  part.combinations.resize(part.probabilities.size());
  for (std::size_t c = 0; c < part.combinations.size(); ++c) {
    part.combinations[c] = static_cast<std::uint32_t>(c);
  }
  return part;
}

PartSums partSums(const Contributions& contributions, const PartSums& listed,
                  unsigned position, unsigned first, unsigned end) {
  const unsigned entries = end - first;
  PartSums part = listed;
  part.values.clear();
  part.values.reserve(listed.size());
  // partial[d]: the contributions of entries first ... first+d added in
  // entry order, starting from the first one.
  std::vector<double> partial(entries, 0.0);
  forEachCombination(
      contributions.cells(), entries,
      [&](unsigned d, std::size_t cell) {
        const double own = contributions.at(first + d, cell, position);
        partial[d] = d == 0 ? own : partial[d - 1] + own;
      },
      [&](std::size_t) {
        part.values.push_back(entries == 0 ? 0.0 : partial[entries - 1]);
      });
  return part;
}

void sortPart(PartSums& part, std::size_t block) {
  const std::size_t size = part.size();
  if (block == 0 || block > size) block = size;
  struct Sum {
    double value;
    std::uint32_t combination;
    double probability;
  };
  std::vector<Sum> sums(size);
  for (std::size_t i = 0; i < size; ++i) {
    sums[i] = Sum{part.values[i], part.combinations[i], part.probabilities[i]};
  }
  // Combinations are unique within a part: the order is total.
  auto less = [](const Sum& x, const Sum& y) {
    return x.value < y.value ||
           (x.value == y.value && x.combination < y.combination);
  };
  for (std::size_t start = 0; start < size; start += block) {
    std::sort(sums.begin() + static_cast<std::ptrdiff_t>(start),
              sums.begin() + static_cast<std::ptrdiff_t>(
                                 std::min(start + block, size)),
              less);
  }
  for (std::size_t i = 0; i < size; ++i) {
    part.values[i] = sums[i].value;
    part.combinations[i] = sums[i].combination;
    part.probabilities[i] = sums[i].probability;
  }
}

void cellsOf(std::uint32_t combination, std::size_t cellCount, unsigned first,
             unsigned end, std::uint32_t* cells) {
  std::size_t rest = combination;
  for (unsigned e = end; e-- > first;) {
    cells[e] = static_cast<std::uint32_t>(rest % cellCount);
    rest /= cellCount;
  }
}

PartMasses::PartMasses(const std::vector<double>& probabilities) {
  const std::size_t size = probabilities.size();
  prefix_.assign(size + 1, 0.0);
  prefixError_.assign(size + 1, 0.0);
  for (std::size_t i = 0; i < size; ++i) {
    // TwoSum: the rounded sum and exactly what its rounding lost.
    const double sum = prefix_[i] + probabilities[i];
    const double addend = sum - prefix_[i];
    const double lostOfPrefix = prefix_[i] - (sum - addend);
    const double lostOfAddend = probabilities[i] - addend;
    const double lost = lostOfPrefix + lostOfAddend;
    prefix_[i + 1] = sum;
    prefixError_[i + 1] = prefixError_[i] + lost;
  }
  suffix_.assign(size + 1, 0.0);
  for (std::size_t i = size; i-- > 0;) {
    suffix_[i] = probabilities[i] + suffix_[i + 1];
  }
  while (leaves_ < size) leaves_ *= 2;
  tree_.assign(2 * leaves_, 0.0);
  std::copy(probabilities.begin(), probabilities.end(),
            tree_.begin() + static_cast<std::ptrdiff_t>(leaves_));
  for (std::size_t node = leaves_; node-- > 1;) {
    tree_[node] = tree_[2 * node] + tree_[2 * node + 1];
  }
}

double PartMasses::range(std::size_t first, std::size_t end) const {
  if (first >= end) return 0.0;
  if (first == 0) return prefix_[end];
  if (end + 1 == prefix_.size()) return suffix_[first];
  // The prefix sums' difference is exact when they lie within a factor 2
  // (else it is at least half the larger one, and rounds once); their
  // errors' difference is tiny beside it.
  const double difference = prefix_[end] - prefix_[first];
  const double errors = prefixError_[end] - prefixError_[first];
  const double mass = difference + errors;
  if (mass >= prefix_[end] * 0x1p-40) return mass;
  // The fewest whole subtrees covering the range, bottom up.
  double left = 0.0;
  double right = 0.0;
  for (std::size_t l = first + leaves_, r = end + leaves_; l < r;
       l /= 2, r /= 2) {
    if (l % 2 == 1) left = left + tree_[l++];
    if (r % 2 == 1) right = tree_[--r] + right;
  }
  return left + right;
}

}  // namespace linprob
