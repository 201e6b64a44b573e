#include "solve/extreme_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "linear/step_replay.h"
#include "solve/contributions.h"
#include "solve/replay_bound.h"

namespace linprob {

std::uint64_t candidateLimitFor(std::uint64_t jobs) {
  constexpr std::uint64_t kMostCandidates = std::uint64_t{1} << 24;
  return std::min(jobs / 4, kMostCandidates);
}

bool searchMayApply(std::uint64_t jobs, unsigned n) {
  return n > 0 && candidateLimitFor(jobs) >= 2 * std::uint64_t{n};
}

ExtremeSearch::ExtremeSearch(const EnumerationJobs& jobs,
                             const std::vector<step>& steps,
                             std::uint64_t candidateLimit,
                             const std::stop_token& stop)
    : jobs_(jobs), steps_(steps) {
  const unsigned n = jobs.n;
  const std::size_t cells = jobs.prefixCount();
  if (n == 0 || cells == 0) return;
  const Contributions parts(jobs, steps, stop);
  if (!parts.finite()) return;
  auto contribution = [&](unsigned e, std::size_t k, unsigned i) {
    return parts.at(e, k, i);
  };

  for (unsigned i = 0; i < n; ++i) {
    // sigma: the rounding of a sum of n contributions.
    const double sigma = parts.sumRounding(i, 0, n);
    const double margin = addUp(multiplyUp(4.0, parts.tolerance(i)),
                                multiplyUp(8.0, sigma));
    if (!std::isfinite(margin)) return;

    for (bool maximum : {false, true}) {
      Target target;
      target.position = i;
      target.maximum = maximum;
      auto signedContribution = [&](unsigned e, std::size_t k) {
        const double c = contribution(e, k, i);
        return maximum ? -c : c;
      };
      target.first.resize(cells);
      for (std::size_t k = 0; k < cells; ++k) {
        target.first[k] = signedContribution(0, k);
      }
      target.sorted.resize(n);
      for (unsigned e = 1; e < n; ++e) {
        auto& sorted = target.sorted[e];
        sorted.reserve(cells);
        for (std::size_t k = 0; k < cells; ++k) {
          sorted.emplace_back(signedContribution(e, k),
                              static_cast<std::uint32_t>(k));
        }
        std::sort(sorted.begin(), sorted.end());
      }
      target.rest.assign(n + 1, 0.0);
      for (unsigned e = n; e-- > 0;) {
        const double smallest =
            e == 0 ? *std::min_element(target.first.begin(), target.first.end())
                   : target.sorted[e].front().first;
        // From the last entry down: rest[e] = smallest_e + rest[e + 1].
        target.rest[e] = smallest + target.rest[e + 1];
      }
      target.limit = target.rest[0] + margin;
      if (!std::isfinite(target.limit)) return;
      targets_.push_back(std::move(target));
    }
  }

  // Count the candidates, giving up once there are too many.
  std::vector<std::uint32_t> chosen(n);
  const UnitRange all{0, cells};
  for (const Target& target : targets_) {
    if (stop.stop_requested()) return;
    walk(target, all, chosen, [&](const std::vector<std::uint32_t>&) {
      ++candidates_;
      return candidates_ <= candidateLimit;
    });
    if (candidates_ > candidateLimit) return;
  }
  usable_ = true;
}

template <typename Leaf>
void ExtremeSearch::walk(const Target& target, UnitRange prefixes,
                         std::vector<std::uint32_t>& cells,
                         Leaf&& leaf) const {
  const unsigned n = jobs_.n;
  bool going = true;
  // Entries depth ... n-1 are open; `sum` holds the chosen contributions,
  // added in entry order. A subtree is left out when even its smallest
  // completion exceeds the limit; the cells are sorted, so the first such
  // cell ends its level.
  auto descend = [&](auto&& self, unsigned depth, double sum) -> void {
    if (depth == n) {
      going = leaf(cells);
      return;
    }
    for (const auto& [c, k] : target.sorted[depth]) {
      const double partial = sum + c;
      const double least = partial + target.rest[depth + 1];
      if (least > target.limit) break;
      cells[depth] = k;
      self(self, depth + 1, partial);
      if (!going) return;
    }
  };
  for (std::uint64_t p = prefixes.first; p < prefixes.end && going; ++p) {
    const double first = target.first[p];
    const double least = first + target.rest[1];
    if (least > target.limit) continue;
    cells[0] = static_cast<std::uint32_t>(p);
    descend(descend, 1, first);
  }
}

std::uint64_t ExtremeSearch::search(UnitRange prefixes, Extremes& extremes,
                                    JobBlock& block) const {
  if (!usable_) return 0;
  const unsigned n = jobs_.n;
  std::uint64_t replays = 0;
  std::vector<std::uint32_t> chosen(n);
  for (const Target& target : targets_) {
    std::size_t lanes = 0;
    auto flush = [&] {
      replayBlock(block.values.data(), kBlockJobs, lanes, steps_);
      for (std::size_t j = 0; j < lanes; ++j) {
        const double v = block.entry(target.position)[j];
        if (target.maximum) {
          extremes.takeMax(target.position, v);
        } else {
          extremes.takeMin(target.position, v);
        }
      }
      replays += lanes;
      lanes = 0;
    };
    walk(target, prefixes, chosen, [&](const std::vector<std::uint32_t>& cells) {
      for (unsigned e = 0; e < n; ++e) {
        block.entry(e)[lanes] = jobs_.cells[cells[e]][e].value;
      }
      if (++lanes == kBlockJobs) flush();
      return true;
    });
    if (lanes > 0) flush();
  }
  return replays;
}

}  // namespace linprob
