// RandomMatrixPhase: what a distribution phase of a family with a random
// matrix (distributions/random_matrix_files.h) adds to one with a fixed
// matrix: the mean matrix eliminated under the phase's mode (its pivots,
// its order of the unknowns and the first-order approximation come from
// it), the entries drawn (the right-hand side's, then the matrix's row by
// row), the source that eliminates and solves every sample, and the
// samples' tallies.
#ifndef LINPROB_DRIVER_RANDOM_MATRIX_PHASE_H_
#define LINPROB_DRIVER_RANDOM_MATRIX_PHASE_H_

#include <memory>
#include <vector>

#include "base/process_group.h"
#include "distributions/family.h"
#include "distributions/job_source.h"
#include "linear/first_order_moments.h"
#include "linear/linear_system.h"
#include "linear/normal_parameters.h"
#include "linear/pivot_mode.h"
#include "results/phase_result.h"
#include "solve/random_matrix_source.h"

namespace linprob {

class RandomMatrixPhase {
 public:
  // `numbers`: the matrix's n x n pairs of the family's parameter kind, as
  // the start of the run checked them (its mean matrix can be solved under
  // every mode); `rhs` b's moments by equation.
  RandomMatrixPhase(const FamilyInfo& family, const std::vector<double>& numbers,
                    unsigned n, const PivotMode& mode,
                    const std::vector<NormalParameters>& rhs);

  // The request's entries followed by the matrix's.
  void extend(SourceRequest& request) const;
  // The source that solves the points of `points`.
  std::unique_ptr<RandomMatrixSource> solving(
      std::unique_ptr<JobSource> points) const;
  // A system of n unknowns without steps: the samples come solved.
  const LinearSystem& solved() const { return solved_; }

  // By position of the mean matrix's elimination.
  const std::vector<unsigned>& columnOrder() const {
    return mean_.columnOrder();
  }
  // The first-order normal and the second-order mean, by position.
  const FirstOrderMoments& firstOrder() const { return firstOrder_; }
  // x0 = A0^-1 b0 by position.
  std::vector<double> meanSolution() const;
  // The second-order mean by unknown, as the results are stored.
  std::vector<double> secondOrderByUnknown() const;

  // A source's tallies, summed over the run's processes (each counts
  // its own chunks).
  RandomMatrixOutcome outcome(const RandomMatrixSource& source,
                              ProcessGroup* group) const;

 private:
  // With the mean matrix's entries, row-major.
  RandomMatrixPhase(const FamilyInfo& family, const std::vector<double>& numbers,
                    unsigned n, const PivotMode& mode,
                    const std::vector<NormalParameters>& rhs,
                    const std::vector<double>& means);

  const FamilyInfo& family_;
  unsigned n_;
  PivotMode mode_;
  EntryParameters matrix_;
  LinearSystem mean_;
  LinearSystem solved_;
  MeanPivots pivots_;
  FirstOrderMoments firstOrder_;
};

}  // namespace linprob

#endif  // LINPROB_DRIVER_RANDOM_MATRIX_PHASE_H_
