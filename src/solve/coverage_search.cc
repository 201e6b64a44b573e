#include "solve/coverage_search.h"

#include <algorithm>
#include <functional>
#include <map>
#include <queue>
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
    if ((*this)(first) >= target) return first;
    // C_below < target <= C_above.
    std::size_t below = first;
    std::size_t above = last;
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
  const Wide reach = (19 * whole + 19) / 20;  // ceil(19 total / 20)
  auto rightOf = [&](std::size_t i, std::size_t first, std::size_t last) {
    return c.firstAtLeast(c(i) + reach, std::max(first, i + 1), last);
  };
  // J(0) and J(lastLeft) bound J on [0, lastLeft]; the symmetric interval
  // holds 95 % and gives a first best near the shortest.
  const std::size_t firstRight = rightOf(0, 1, s);
  const std::size_t lastRight = rightOf(lastLeft, firstRight, s);
  Best best{firstRight, 0};
  auto consider = [&](std::size_t left, std::size_t right) {
    if (best.beatenBy(right - left, left)) best = Best{right - left, left};
  };
  consider(lastLeft, lastRight);
  // A part: the left borders strictly between `left` and `right`, J known
  // at both ends. Inside, J(i) >= J(left) and i <= right - 1, so no width
  // there is below `bound`.
  struct Part {
    std::size_t bound;
    std::size_t left, right;
    std::size_t leftReach, rightReach;  // J(left), J(right)
    bool operator>(const Part& other) const {
      return bound != other.bound ? bound > other.bound : left > other.left;
    }
  };
  std::priority_queue<Part, std::vector<Part>, std::greater<Part>> open;
  auto add = [&](std::size_t left, std::size_t right, std::size_t leftReach,
                 std::size_t rightReach) {
    if (right - left < 2) return;
    open.push(Part{leftReach - (right - 1), left, right, leftReach,
                   rightReach});
  };
  if (lastLeft > 0 && result.symmetricLower > 0 &&
      result.symmetricLower < lastLeft) {
    const std::size_t middle = result.symmetricLower;
    const std::size_t middleReach = rightOf(middle, firstRight, lastRight);
    consider(middle, middleReach);
    add(0, middle, firstRight, middleReach);
    add(middle, lastLeft, middleReach, lastRight);
  } else {
    add(0, lastLeft, firstRight, lastRight);
  }
  // The best is the least (width, left border) found, whatever the order
  // the parts are taken in; the part of least bound first, and none once
  // that bound cannot beat the best.
  while (!open.empty()) {
    const Part part = open.top();
    open.pop();
    if (!best.beatenBy(part.bound, part.left + 1)) break;
    if (part.leftReach == part.rightReach) {
      // J is constant inside: the best is its rightmost left border.
      consider(part.right - 1, part.leftReach);
      continue;
    }
    const std::size_t middle = part.left + (part.right - part.left) / 2;
    const std::size_t middleReach =
        rightOf(middle, part.leftReach, part.rightReach);
    consider(middle, middleReach);
    add(part.left, middle, part.leftReach, middleReach);
    add(middle, part.right, middleReach, part.rightReach);
  }
  result.shortestLower = best.left;
  result.shortestUpper = best.left + best.width;
  return result;
}

}  // namespace linprob
