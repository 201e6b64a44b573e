#include "solve/coverage_search.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <map>
#include <memory_resource>
#include <utility>
#include <vector>

namespace linprob {
namespace {

using Wide = unsigned __int128;

// C_k, each asked of the caller's function once.
class Masses {
 public:
  Masses(std::size_t subBands, std::uint64_t total,
         const CumulativeMass& cumulative)
      : subBands_(subBands), total_(total), cumulative_(cumulative) {}

  std::uint64_t operator()(std::size_t k) {
    if (k == 0) return 0;
    if (k >= subBands_) return total_;
    const auto known = known_.find(k);
    if (known != known_.end()) return known->second;
    const std::uint64_t mass = cumulative_(k);
    known_.emplace(k, mass);
    return mass;
  }

  // The first k in [first, last] with C_k >= target; C_last >= target.
  std::size_t firstAtLeast(Wide target, std::size_t first, std::size_t last) {
    // C_below < target <= C_above, narrowed first by the masses known in
    // [first, last] (ascending in k, so ascending in C): the last below the
    // target and the first at or above it.
    std::size_t below = first;
    std::size_t above = last;
    bool belowKnown = false;
    for (auto known = known_.lower_bound(first);
         known != known_.end() && known->first <= last; ++known) {
      if (known->second >= target) {
        above = known->first;
        break;
      }
      below = known->first;
      belowKnown = true;
    }
    if (!belowKnown && (*this)(first) >= target) return first;

    bool interpolate = true;
    while (above - below > 1) {
      const std::size_t width = above - below;
      std::size_t next = below + width / 2;
      if (interpolate) {
        const Wide low = (*this)(below);
        const Wide high = (*this)(above);
        // The border where the masses, taken as linear between the ends,
        // reach the target; rounded up, inside the bracket.
        const Wide share = (target - low) * width;
        const Wide step = (share + (high - low) - 1) / (high - low);
        next = below + static_cast<std::size_t>(
                           std::clamp<Wide>(step, 1, width - 1));
      }
      if ((*this)(next) >= target) {
        above = next;
      } else {
        below = next;
      }
      // Interpolate again only after a step that halved the bracket.
      interpolate = !interpolate || above - below <= width / 2;
    }
    return above;
  }

 private:
  const std::size_t subBands_;
  const std::uint64_t total_;
  const CumulativeMass& cumulative_;
  std::map<std::size_t, std::uint64_t> known_;
};

struct Best {
  std::size_t width;
  std::size_t left;

  // Whether a left border `left` with `width` beats this one.
  bool beatenBy(std::size_t otherWidth, std::size_t otherLeft) const {
    return otherWidth < width || (otherWidth == width && otherLeft < left);
  }
};

}  // namespace

CoverageBorders searchCoverage(std::size_t subBands, std::uint64_t total,
                               const CumulativeMass& cumulative) {
  const std::size_t s = subBands;
  Masses c(s, total, cumulative);
  const Wide whole = total;
  CoverageBorders result;
  // 40 C_k <= total  <=>  C_k <= floor(total / 40).
  result.symmetricLower = c.firstAtLeast(whole / 40 + 1, 1, s) - 1;
  result.symmetricUpper = c.firstAtLeast((39 * whole + 39) / 40, 1, s);

  // J(i) <= S exactly for i <= lastLeft (20 C_i <= total).
  const std::size_t lastLeft = c.firstAtLeast(whole / 20 + 1, 1, s) - 1;
  const Wide whole19 = (19 * whole + 19) / 20;  // ceil(19 total / 20)
  // J(i), each searched once, between the J of the nearest left borders
  // known on either side (J never decreases).
  // Their nodes come from a buffer on the stack (and blocks growing from
  // it beyond some hundreds), not one heap allocation each: every position
  // of every phase counted by halves searches, on all threads at once, in
  // the process's one heap (main.cc).
  std::array<std::byte, 16384> nodes;
  std::pmr::monotonic_buffer_resource arena(nodes.data(), nodes.size());
  std::pmr::map<std::size_t, std::size_t> reaches(&arena);
  auto reachOf = [&](std::size_t i) {
    const auto known = reaches.lower_bound(i);
    if (known != reaches.end() && known->first == i) return known->second;
    const std::size_t last = known == reaches.end() ? s : known->second;
    const std::size_t first =
        known == reaches.begin() ? i + 1
                                 : std::max(std::prev(known)->second, i + 1);
    const std::size_t reach = c.firstAtLeast(c(i) + whole19, first, last);
    reaches.emplace(i, reach);
    return reach;
  };
  Best best{reachOf(0), 0};
  auto consider = [&](std::size_t left) {
    const std::size_t right = reachOf(left);
    if (best.beatenBy(right - left, left)) best = Best{right - left, left};
  };
  consider(lastLeft);
  if (result.symmetricLower < lastLeft) consider(result.symmetricLower);
  // Then every left border in turn, skipping those that cannot beat the
  // best: for i < i' <= J(i) - best, J(i') - i' >= J(i) - i' >= best
  // (equal only at i' = J(i) - best, which beats a best further right).
  for (std::size_t i = 0; i <= lastLeft;) {
    consider(i);
    const std::size_t ahead = reachOf(i) - best.width;
    const std::size_t next = ahead < best.left ? ahead : ahead + 1;
    i = std::max(i + 1, next);
  }
  result.shortestLower = best.left;
  result.shortestUpper = best.left + best.width;
  return result;
}

}  // namespace linprob
