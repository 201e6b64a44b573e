#include "solve/halves_counter.h"

#include <algorithm>
#include <cmath>

#include "solve/contributions.h"
#include "solve/halves_coverage.h"
#include "solve/replay_bound.h"

namespace linprob {
namespace {

constexpr double kUnitRoundoff = 0x1p-53;

double largestMagnitude(const std::vector<double>& values) {
  double largest = 0.0;
  for (double v : values) largest = std::max(largest, std::fabs(v));
  return largest;
}

}  // namespace

HalvesCounter::Scratch::Scratch(const HalvesCounter& counter)
    : replay_(counter.jobs_, counter.steps_, counter.split_) {
  queuedMass_.reserve(kBlockJobs);
}

HalvesCounter::HalvesCounter(const EnumerationJobs& jobs,
                             const std::vector<step>& steps,
                             const CountLayout& layout, unsigned split)
    : jobs_(jobs), steps_(steps), layout_(layout), split_(split) {
  const unsigned n = jobs.n;
  if (n == 0 || jobs.prefixCount() == 0 || split == 0 || split > n) return;
  contributions_.emplace(jobs, steps);
  if (!contributions_->finite()) return;
  firstListed_ = partProbabilities(jobs, 0, split);
  secondListed_ = partProbabilities(jobs, split, n);
  prefixBlock_ = firstListed_.probabilities.size() / jobs.prefixCount();
  positions_.resize(n);
}

bool HalvesCounter::usable() const {
  if (positions_.empty()) return false;
  for (const Position& own : positions_) {
    if (!std::isfinite(own.margin)) return false;
  }
  return true;
}

void HalvesCounter::prepare(unsigned i) {
  if (positions_.empty()) return;
  const Contributions& contributions = *contributions_;
  const unsigned n = jobs_.n;
  Position& own = positions_[i];
  own.first = partSums(contributions, firstListed_, i, 0, split_);
  sortPart(own.first, prefixBlock_);
  own.second = partSums(contributions, secondListed_, i, split_, n);
  sortPart(own.second, 0);
  own.secondCuts.emplace(own.second.values);
  own.secondMasses.emplace(own.second.probabilities);

  // E, then W (see the header).
  const PositionBands& bands = *layout_.positions[i].bands;
  double error = addUp(contributions.tolerance(i),
                       contributions.sumRounding(i, 0, split_));
  error = addUp(error, contributions.sumRounding(i, split_, n));
  double thresholds = std::max(std::fabs(bands.min), std::fabs(bands.max));
  if (!bands.borders.empty()) {
    thresholds = std::max(thresholds, std::fabs(bands.borders.back()));
  }
  const double sums = addUp(largestMagnitude(own.first.values),
                            largestMagnitude(own.second.values));
  const double reach = addUp(multiplyUp(2.0, thresholds), sums);
  own.margin = addUp(multiplyUp(2.0, error),
                     multiplyUp(4.0 * kUnitRoundoff, reach));

  if (layout_.accumulate) {
    // The second part's mean, then its moments about it, in its order.
    double weight = 0.0;
    double weighted = 0.0;
    for (std::size_t j = 0; j < own.second.size(); ++j) {
      const double w = own.second.probabilities[j];
      const double product = w * own.second.values[j];
      weight = weight + w;
      weighted = weighted + product;
    }
    own.secondMean = weight > 0.0 ? weighted / weight : 0.0;
    WeightedMoments about(own.secondMean);
    for (std::size_t j = 0; j < own.second.size(); ++j) {
      about.add(own.second.values[j], own.second.probabilities[j]);
    }
    own.secondWeight = about.sumWeight();
    own.secondFirst = about.sumFirst();
    own.secondSecond = about.sumSecond();
  }
}

void HalvesCounter::countChunk(std::size_t chunk, ChunkSums& out,
                               Scratch& scratch,
                               const std::stop_token& stop) const {
  const UnitRange prefixes = jobs_.chunkPlan().range(chunk);
  out.masses.assign(layout_.bandTotal, 0.0);
  out.moments.clear();
  for (unsigned e = 0; e < jobs_.n; ++e) {
    countBands(e, prefixes, out.masses.data() + layout_.positions[e].offset,
               scratch, stop);
    if (stop.stop_requested()) return;
    if (layout_.accumulate) out.moments.push_back(moments(e, prefixes));
  }
}

void HalvesCounter::countBands(unsigned e, UnitRange prefixes, double* masses,
                               Scratch& scratch,
                               const std::stop_token& stop) const {
  const Position& own = positions_[e];
  const PositionBands& bands = *layout_.positions[e].bands;
  const std::vector<double>& borders = bands.borders;
  const std::size_t bandCount = borders.size();
  const std::size_t separating = bandCount - 1;
  const PartSums& second = own.second;
  const PartCuts& cuts = *own.secondCuts;
  const PartMasses& secondMasses = *own.secondMasses;
  const std::size_t size = second.size();
  const double lowest = second.values.front();
  const double highest = second.values.back();
  const double margin = own.margin;
  scratch.low_.resize(separating);
  scratch.high_.resize(separating);
  scratch.decided_.assign(bandCount, 0.0);
  scratch.undecided_.assign(bandCount, 0.0);
  PairReplay& replay = scratch.replay_;
  std::vector<double>& queuedMass = scratch.queuedMass_;
  queuedMass.clear();
  auto flush = [&] {
    replay.replay();
    const double* const values = replay.values(e);
    for (std::size_t lane = 0; lane < replay.queued(); ++lane) {
      const std::size_t band = bandIndex(bands, values[lane]);
      scratch.undecided_[band] = scratch.undecided_[band] + queuedMass[lane];
    }
    replay.clear();
    queuedMass.clear();
  };

  const std::size_t begin = prefixes.first * prefixBlock_;
  const std::size_t end = prefixes.end * prefixBlock_;
  for (std::size_t j = begin; j < end; ++j) {
    if (stop.stop_requested()) break;
    const double a = own.first.values[j];
    const double pa = own.first.probabilities[j];
    // Cut k: the first second-part sum not below border k's low cut, and
    // the first above its high cut.
    for (std::size_t k = 0; k < separating; ++k) {
      const double rest = borders[k] - a;
      const double lowCut = rest - margin;
      const double highCut = rest + margin;
      if (lowCut > highest) {
        scratch.low_[k] = size;
        scratch.high_[k] = size;
      } else if (highCut < lowest) {
        scratch.low_[k] = 0;
        scratch.high_[k] = 0;
      } else {
        scratch.low_[k] = cuts.firstNotBelow(lowCut);
        scratch.high_[k] = cuts.firstAbove(highCut);
      }
    }
    // Band k holds the decided sums above cut k-1 and below cut k; the
    // sums between the cuts of a border are replayed once each.
    std::size_t start = 0;
    std::size_t replayed = 0;
    for (std::size_t k = 0; k < bandCount; ++k) {
      const std::size_t last = k < separating ? scratch.low_[k] : size;
      if (last > start) {
        const double mass = pa * secondMasses.range(start, last);
        scratch.decided_[k] = scratch.decided_[k] + mass;
      }
      if (k == separating) break;
      for (std::size_t i = std::max(scratch.low_[k], replayed);
           i < scratch.high_[k]; ++i) {
        replay.add(own.first.combinations[j], second.combinations[i]);
        queuedMass.push_back(pa * second.probabilities[i]);
        if (replay.full()) flush();
      }
      replayed = std::max(replayed, scratch.high_[k]);
      start = std::max(start, scratch.high_[k]);
    }
  }
  if (replay.queued() > 0) flush();
  for (std::size_t k = 0; k < bandCount; ++k) {
    masses[k] = scratch.decided_[k] + scratch.undecided_[k];
  }
}

WeightedMoments HalvesCounter::moments(unsigned e, UnitRange prefixes) const {
  const Position& own = positions_[e];
  const double reference = layout_.positions[e].reference;
  // (a - firstCentre) + (b - secondMean) = a + b - reference, up to one
  // rounding of the centre.
  const double firstCentre = reference - own.secondMean;
  double weight = 0.0;
  double first = 0.0;
  double second = 0.0;
  const std::size_t begin = prefixes.first * prefixBlock_;
  const std::size_t end = prefixes.end * prefixBlock_;
  for (std::size_t j = begin; j < end; ++j) {
    const double pa = own.first.probabilities[j];
    const double d = own.first.values[j] - firstCentre;
    // sum_b p_b (d + e_b) = d W + F; sum_b p_b (d + e_b)^2 = d^2 W + 2 d F
    // + S, with W, F, S the second part's sums about its mean.
    const double dWeight = d * own.secondWeight;
    const double firstSum = dWeight + own.secondFirst;
    const double dSquared = d * dWeight;
    const double cross = 2.0 * d;
    const double crossSum = cross * own.secondFirst;
    const double secondPartial = dSquared + crossSum;
    const double secondSum = secondPartial + own.secondSecond;
    const double w = pa * own.secondWeight;
    const double f = pa * firstSum;
    const double s = pa * secondSum;
    weight = weight + w;
    first = first + f;
    second = second + s;
  }
  WeightedMoments moments(reference);
  moments.addSums(weight, first, second);
  return moments;
}

bool HalvesCounter::hasCoverage(unsigned position) const {
  return layout_.accumulate && layout_.positions[position].subBands;
}

std::optional<CoverageBorders> HalvesCounter::coverage(
    unsigned position, Scratch& scratch, std::uint64_t replayBudget,
    const std::stop_token& stop) const {
  if (!hasCoverage(position)) return std::nullopt;
  const PositionLayout& layout = layout_.positions[position];
  const Position& own = positions_[position];
  const HalvesPosition halves{own.first,
                              own.second,
                              *own.secondCuts,
                              *own.secondMasses,
                              own.margin,
                              position,
                              layout.bands->min,
                              layout.bands->max};
  return coverageByHalves(halves, scratch.replay_, replayBudget, stop);
}

}  // namespace linprob
