#include "solve/halves_coverage.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "solve/fine_histogram.h"

namespace linprob {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Ends a search: too many replays, or a stop.
struct SearchEnded {};

// The first j in [first, end) where holds(j) fails (end when none), for a
// condition that holds up to some j and fails from there on.
template <typename Holds>
std::size_t firstFailing(std::size_t first, std::size_t end, Holds&& holds) {
  while (first < end) {
    const std::size_t middle = first + (end - first) / 2;
    if (holds(middle)) {
      first = middle + 1;
    } else {
      end = middle;
    }
  }
  return first;
}

// C(t) of one position, for one search.
class MassBelow {
 public:
  MassBelow(const HalvesPosition& halves, const PartSums& first,
            PairReplay& replay, std::uint64_t budget,
            const std::stop_token& stop)
      : halves_(halves), first_(first), replay_(replay), budget_(budget),
        stop_(stop),
        lowAt_(first.size()), wholePrefix_(first.size() + 1, 0.0) {
    // The terms of the first-part sums whose pairs all lie below t, added
    // as operator() adds them.
    const double whole = halves.secondMasses.total();
    for (std::size_t j = 0; j < first.size(); ++j) {
      const double term = first.probabilities[j] * whole;
      wholePrefix_[j + 1] = wholePrefix_[j] + term;
    }
  }

  // The sum over the first-part sums a, ascending, of p_a times the second
  // part's mass below t - a. The a whose pairs all lie below t come first
  // and the a with none last (the cuts only move down as a grows): only
  // those in between are visited, each on its own (no chain from one to
  // the next).
  double operator()(double t) {
    const PartSums& second = halves_.second;
    const PartCuts& cuts = halves_.secondCuts;
    const double* const b = cuts.values();
    const double* const a = first_.values.data();
    const double* const pa = first_.probabilities.data();
    const double* const below = halves_.secondMasses.belowData();
    const double margin = halves_.margin;
    const std::size_t size = second.size();
    const std::size_t count = first_.size();
    auto lowCut = [&](std::size_t j) {
      const double rest = t - a[j];
      return rest - margin;
    };
    auto highCut = [&](std::size_t j) {
      const double rest = t - a[j];
      return rest + margin;
    };
    const std::size_t whole = firstFailing(
        0, count, [&](std::size_t j) { return lowCut(j) > b[size - 1]; });
    const std::size_t end = firstFailing(
        whole, count, [&](std::size_t j) { return !(highCut(j) < b[0]); });
    windows_.clear();
    std::uint32_t* const lowAt = lowAt_.data();
    cuts.startsNotBelow(a + whole, end - whole, t, margin, lowAt + whole);
    double sum = wholePrefix_[whole];
    for (std::size_t j = whole; j < end; ++j) {
      const double cut = lowCut(j);
      // The first sum not below the cut.
      std::size_t low = lowAt[j];
      while (b[low] < cut) ++low;
      lowAt[j] = static_cast<std::uint32_t>(low);
      if (b[low] <= highCut(j)) {
        std::size_t last = low + 1;
        while (b[last] <= highCut(j)) ++last;
        windows_.push_back(Window{j, low, last});
      }
      const double term = pa[j] * below[low];
      sum = sum + term;
    }
    if (windows_.empty()) return sum;
    replayWindows(t);
    // Again, with the undecided pairs below t added after each prefix mass.
    sum = wholePrefix_[whole];
    std::size_t w = 0;
    std::size_t flag = 0;
    for (std::size_t j = whole; j < end; ++j) {
      double mass = below[lowAt[j]];
      if (w < windows_.size() && windows_[w].first == j) {
        for (std::size_t i = windows_[w].low; i < windows_[w].high; ++i) {
          if (below_[flag++]) mass = mass + second.probabilities[i];
        }
        ++w;
      }
      const double term = pa[j] * mass;
      sum = sum + term;
    }
    return sum;
  }

 private:
  struct Window {
    std::size_t first;      // the first-part sum
    std::size_t low, high;  // its undecided second-part sums
  };

  void replayWindows(double t) {
    std::uint64_t pairs = 0;
    for (const Window& window : windows_) pairs += window.high - window.low;
    if (pairs > budget_ - used_) throw SearchEnded{};
    used_ += pairs;
    below_.assign(pairs, 0);
    std::size_t flag = 0;
    auto flush = [&] {
      // A mass with many undecided pairs may take a while.
      if (stop_.stop_requested()) throw SearchEnded{};
      replay_.replay();
      const double* const values = replay_.values(halves_.position);
      for (std::size_t lane = 0; lane < replay_.queued(); ++lane) {
        below_[flag++] = values[lane] < t ? 1 : 0;
      }
      replay_.clear();
    };
    for (const Window& window : windows_) {
      for (std::size_t i = window.low; i < window.high; ++i) {
        replay_.add(first_.combinations[window.first],
                    halves_.second.combinations[i]);
        if (replay_.full()) flush();
      }
    }
    if (replay_.queued() > 0) flush();
  }

  const HalvesPosition& halves_;
  const PartSums& first_;  // sorted
  PairReplay& replay_;
  const std::uint64_t budget_;
  const std::stop_token& stop_;
  std::uint64_t used_ = 0;
  std::vector<std::uint32_t> lowAt_;
  std::vector<double> wholePrefix_;  // by first-part sums taken
  std::vector<Window> windows_;
  std::vector<std::uint8_t> below_;  // by undecided pair
};

}  // namespace

std::optional<CoverageBorders> coverageByHalves(const HalvesPosition& halves,
                                                PairReplay& replay,
                                                std::uint64_t replayBudget,
                                                const std::stop_token& stop) {
  PartSums first = halves.first;
  sortPart(first, 0);
  MassBelow below(halves, first, replay, replayBudget, stop);
  const SubBandGrid fine(halves.min, halves.max, kFineSubBands);
  try {
    const std::uint64_t total = fixedPointMass(below(kInfinity));
    if (total == 0) return std::nullopt;
    return searchCoverage(kFineSubBands, total, [&](std::size_t k) {
      if (stop.stop_requested()) throw SearchEnded{};
      return fixedPointMass(below(fine.border(k)));
    });
  } catch (const SearchEnded&) {
    replay.clear();
    return std::nullopt;
  }
}

}  // namespace linprob
