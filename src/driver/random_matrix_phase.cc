#include "driver/random_matrix_phase.h"

#include <utility>

#include "check/numeric_check.h"
#include "distributions/random_matrix_files.h"
#include "linear/first_order_moments.h"
#include "linear/sample_elimination.h"

namespace linprob {
RandomMatrixPhase::RandomMatrixPhase(const FamilyInfo& family,
                                     const std::vector<double>& numbers,
                                     unsigned n, const PivotMode& mode,
                                     const std::vector<NormalParameters>& rhs)
    : RandomMatrixPhase(family, numbers, n, mode, rhs,
                        meanMatrixOf(family, numbers)) {}

RandomMatrixPhase::RandomMatrixPhase(const FamilyInfo& family,
                                     const std::vector<double>& numbers,
                                     unsigned n, const PivotMode& mode,
                                     const std::vector<NormalParameters>& rhs,
                                     const std::vector<double>& means)
    : family_(family),
      n_(n),
      mode_(mode),
      matrix_{kindInfo(family.parameterKind).numbersPerEntry, numbers},
      mean_(LinearSystem::fromRows(n, means)),
      solved_(n) {
  mean_.eliminate(mode);
  // The mean matrix's pivots, chosen by the samples' own rules.
  SampleElimination sample(n, mode, kSingularCondition);
  const std::vector<double> zeros(n, 0.0);
  sample.solve(means.data(), zeros.data(), 1);
  pivots_.rows.assign(sample.pivotRows().begin(), sample.pivotRows().end());
  pivots_.columns.assign(sample.pivotColumns().begin(),
                         sample.pivotColumns().end());
  pivots_.positionOf.resize(n);
  for (unsigned p = 0; p < n; ++p) pivots_.positionOf[mean_.columnOrder()[p]] = p;
  firstOrder_ = firstOrderMoments(mean_, rhs, familyMoments(family, matrix_));
}

void RandomMatrixPhase::extend(SourceRequest& request) const {
  std::vector<double>& numbers = request.entries.numbers;
  numbers.insert(numbers.end(), matrix_.numbers.begin(), matrix_.numbers.end());
  request.n = n_ + n_ * n_;
}

std::unique_ptr<RandomMatrixSource> RandomMatrixPhase::solving(
    std::unique_ptr<JobSource> points) const {
  return std::make_unique<RandomMatrixSource>(std::move(points), n_, mode_,
                                              kSingularCondition, pivots_);
}

std::vector<double> RandomMatrixPhase::meanSolution() const {
  std::vector<double> x0;
  for (const NormalParameters& x : firstOrder_.normal) x0.push_back(x.mean);
  return x0;
}

std::vector<double> RandomMatrixPhase::secondOrderByUnknown() const {
  const std::vector<double>& byPosition = firstOrder_.secondOrderMean;
  std::vector<double> byUnknown(byPosition.size());
  for (std::size_t p = 0; p < byPosition.size(); ++p) {
    byUnknown[mean_.columnOrder()[p]] = byPosition[p];
  }
  return byUnknown;
}

RandomMatrixOutcome RandomMatrixPhase::outcome(
    const RandomMatrixSource& source, ProcessGroup* group) const {
  const SampleTallies own = source.tallies();
  std::vector<std::uint64_t> sums = {own.refused, own.pivotChanges,
                                     own.refusedMass, own.pivotChangeMass};
  if (group != nullptr) group->sumAll(sums);
  RandomMatrixOutcome counts;
  counts.file = randomMatrixFileOf(family_.parameterKind);
  counts.jobs = source.jobCount();
  counts.refused = sums[0];
  counts.pivotChanges = sums[1];
  const double jobs = static_cast<double>(counts.jobs);
  // 2^62, the whole in fixed point.
  constexpr double kWhole = 4611686018427387904.0;
  if (source.jobWeight() && counts.jobs > 0) {
    counts.refusedShare = static_cast<double>(counts.refused) / jobs;
    counts.pivotChangeShare = static_cast<double>(counts.pivotChanges) / jobs;
  } else {
    counts.refusedShare = static_cast<double>(sums[2]) / kWhole;
    counts.pivotChangeShare = static_cast<double>(sums[3]) / kWhole;
  }
  counts.secondOrderMean = secondOrderByUnknown();
  return counts;
}

}  // namespace linprob
