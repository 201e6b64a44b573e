#include "solve/extreme_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "linear/step_replay.h"
#include "solve/replay_bound.h"

namespace linprob {
namespace {

constexpr double kUnitRoundoff = 0x1p-53;

// contributions[(e * cells + k) * n + i]: position i of the replay of the
// right-hand side with cell k's value at entry e and zeros elsewhere.
std::vector<double> replayContributions(const EnumerationJobs& jobs,
                                        const std::vector<step>& steps,
                                        const std::stop_token& stop) {
  const unsigned n = jobs.n;
  const std::size_t cells = jobs.prefixCount();
  std::vector<double> contributions(static_cast<std::size_t>(n) * cells * n);
  // Every cell of one entry at once: row r of lane k at rows[r * cells + k].
  std::vector<double> rows(static_cast<std::size_t>(n) * cells);
  for (unsigned e = 0; e < n && !stop.stop_requested(); ++e) {
    std::fill(rows.begin(), rows.end(), 0.0);
    for (std::size_t k = 0; k < cells; ++k) {
      rows[e * cells + k] = jobs.cells[k][e].value;
    }
    replayBlock(rows.data(), cells, cells, steps);
    for (std::size_t k = 0; k < cells; ++k) {
      for (unsigned i = 0; i < n; ++i) {
        contributions[(e * cells + k) * n + i] = rows[i * cells + k];
      }
    }
  }
  return contributions;
}

}  // namespace

ExtremeSearch::ExtremeSearch(const EnumerationJobs& jobs,
                             const std::vector<step>& steps,
                             std::uint64_t candidateLimit,
                             const std::stop_token& stop)
    : jobs_(jobs), steps_(steps) {
  const unsigned n = jobs.n;
  const std::size_t cells = jobs.prefixCount();
  if (n == 0 || cells == 0) return;

  std::vector<double> magnitude(n, 0.0);
  for (unsigned e = 0; e < n; ++e) {
    for (std::size_t k = 0; k < cells; ++k) {
      magnitude[e] = std::max(magnitude[e], std::fabs(jobs.cells[k][e].value));
    }
    if (!std::isfinite(magnitude[e])) return;
  }
  // T_i: the replay of a job against L b, plus each contribution against
  // its exact part.
  const ReplayBound whole = replayBound(steps, magnitude);
  if (!whole.finite()) return;
  std::vector<double> tolerance = whole.error;
  for (unsigned e = 0; e < n; ++e) {
    if (stop.stop_requested()) return;
    std::vector<double> alone(n, 0.0);
    alone[e] = magnitude[e];
    const ReplayBound single = replayBound(steps, alone);
    if (!single.finite()) return;
    for (unsigned i = 0; i < n; ++i) {
      tolerance[i] = addUp(tolerance[i], single.error[i]);
    }
  }

  const std::vector<double> contributions =
      replayContributions(jobs, steps, stop);
  if (stop.stop_requested()) return;
  auto contribution = [&](unsigned e, std::size_t k, unsigned i) {
    return contributions[(e * cells + k) * n + i];
  };
  for (double c : contributions) {
    if (!std::isfinite(c)) return;
  }

  for (unsigned i = 0; i < n; ++i) {
    // sigma: a sum of n contributions rounds by at most (n - 1) u times the
    // sum of their magnitudes (doubled for the growth of the partial sums).
    double largestSum = 0.0;
    for (unsigned e = 0; e < n; ++e) {
      double largest = 0.0;
      for (std::size_t k = 0; k < cells; ++k) {
        largest = std::max(largest, std::fabs(contribution(e, k, i)));
      }
      largestSum = addUp(largestSum, largest);
    }
    const double sigma = multiplyUp(
        multiplyUp(2.0 * kUnitRoundoff, static_cast<double>(n)), largestSum);
    const double margin = addUp(multiplyUp(4.0, tolerance[i]),
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
