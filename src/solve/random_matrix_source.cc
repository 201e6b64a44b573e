#include "solve/random_matrix_source.h"

#include <algorithm>
#include <utility>

#include "distributions/job_block.h"
#include "linear/sample_batch.h"
#include "solve/fine_histogram.h"

namespace linprob {

struct RandomMatrixSource::Scratch {
  Scratch(unsigned entries, unsigned n, const PivotMode& mode,
          double mostCondition)
      : points(entries), solver(n, mode, mostCondition) {}
  JobBlock points;
  SampleBatch solver;
};

RandomMatrixSource::RandomMatrixSource(std::unique_ptr<JobSource> points,
                                       unsigned n, const PivotMode& mode,
                                       double mostCondition, MeanPivots mean)
    : points_(std::move(points)),
      n_(n),
      mode_(mode),
      mostCondition_(mostCondition),
      mean_(std::move(mean)) {
  const std::size_t chunks = points_->chunkPlan().chunks;
  firstBlock_.assign(chunks + 1, 0);
  for (std::size_t c = 0; c < chunks; ++c) {
    firstBlock_[c + 1] = firstBlock_[c] + points_->chunkBlocks(c);
  }
  tallies_.assign(firstBlock_.back(), SampleTallies{});
}

RandomMatrixSource::~RandomMatrixSource() = default;

std::unique_ptr<RandomMatrixSource::Scratch> RandomMatrixSource::takeScratch()
    const {
  {
    const std::lock_guard<std::mutex> hold(poolLock_);
    if (!pool_.empty()) {
      std::unique_ptr<Scratch> scratch = std::move(pool_.back());
      pool_.pop_back();
      return scratch;
    }
  }
  // A thread's first block: its scratch, kept in the pool afterwards.
  return std::make_unique<Scratch>(points_->size(), n_, mode_, mostCondition_);
}

void RandomMatrixSource::giveBack(std::unique_ptr<Scratch> scratch) const {
  const std::lock_guard<std::mutex> hold(poolLock_);
  pool_.push_back(std::move(scratch));
}

void RandomMatrixSource::fill(std::size_t chunk, std::uint64_t k,
                              JobBlock& block) const {
  std::unique_ptr<Scratch> scratch = takeScratch();
  JobBlock& drawn = scratch->points;
  SampleBatch& solver = scratch->solver;
  points_->fill(chunk, k, drawn);
  const unsigned n = n_;
  const double* const rhs = drawn.values.data();
  const double* const matrix = drawn.values.data() + std::size_t{n} * kBlockJobs;
  SampleTallies tallies;
  std::size_t solved = 0;
  for (std::size_t first = 0; first < drawn.count; first += kBatchLanes) {
    const std::size_t lanes = std::min(kBatchLanes, drawn.count - first);
    solver.solve(matrix + first, rhs + first, kBlockJobs, lanes);
    for (std::size_t l = 0; l < lanes; ++l) {
      const double probability = drawn.probabilities[first + l];
      if (!solver.solved(l)) {
        ++tallies.refused;
        tallies.refusedMass += fixedPointMass(probability);
        continue;
      }
      bool samePivots = true;
      for (unsigned i = 0; i < n && samePivots; ++i) {
        samePivots = solver.pivotRow(l, i) == mean_.rows[i] &&
                     solver.pivotColumn(l, i) == mean_.columns[i];
      }
      if (!samePivots) {
        ++tallies.pivotChanges;
        tallies.pivotChangeMass += fixedPointMass(probability);
      }
      for (unsigned q = 0; q < n; ++q) {
        const unsigned position = mean_.positionOf[solver.unknownAt(l, q)];
        block.values[std::size_t{position} * kBlockJobs + solved] =
            solver.valueAt(l, q);
      }
      block.probabilities[solved] = probability;
      ++solved;
    }
  }
  block.count = solved;
  if (solved < kBlockJobs) block.clearLanesFrom(solved);
  const std::uint64_t at = firstBlock_[chunk] + k;
  tallies_[at] = tallies;
  giveBack(std::move(scratch));
}

SampleTallies RandomMatrixSource::tallies() const {
  SampleTallies sum;
  for (const SampleTallies& block : tallies_) {
    sum.refused += block.refused;
    sum.pivotChanges += block.pivotChanges;
    sum.refusedMass += block.refusedMass;
    sum.pivotChangeMass += block.pivotChangeMass;
  }
  return sum;
}

}  // namespace linprob
