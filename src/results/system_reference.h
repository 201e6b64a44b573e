// SystemReference: what one system is, and what certified arithmetic says of
// it, independent of the pivoting mode; computed once per system and shared
// by the results of its four modes.
//
// The inputs as read (the matrix row by row, the plain and the interval
// right-hand side) and, for systems of at most kMaxCertifiedSize unknowns
// whose inverse can be certified (linear/certified_inverse.h), the inverse
// itself, the reference values (linear/exact_reference.h, computed by
// linear/certified_reference.h) and, per family, the moments of every
// unknown propagated through A^-1 (linear/exact_moments.h):
//   exactLinear  from the family's own entry moments (normal: the mean and
//                variance as given; triangular and uniform on [p, q]:
//                (p + q) / 2 and (q - p)^2 / 24 or / 12);
//   expected     what the phase's jobs should reproduce: in enumeration the
//                moments of each entry's cells (their own discrete
//                distribution), in sampling the family's moments again.
//                None when an enumeration has no cells.
// Every value is the exact one rounded once; one the certification could
// not decide is std::nullopt. Beyond kMaxCertifiedSize, or for a matrix the
// certification refuses (singular or too ill-conditioned), `exact`,
// `inverse` and every family are empty; a family whose entries have no
// exact moments (ExactEntryMoments, linear/exact_moments.h) is empty alone,
// the others computed as ever. With correlated entries (Correlation.txt)
// only the families whose copula's covariance has a closed form have
// references (the normal, uniform and lognormal; up to 200 unknowns), and
// only the normal family has shares, its full and independent indices
// (results/correlated_shares.h). `reasons` says in words why a field is
// empty or incomplete. Unknowns are in input order.
//
// The system's condition verdict (results/condition_verdict.h) is decided
// here, once: from the certified κ∞ when the references computed it, else
// from the start-of-run check's estimate the inputs carry.
//
// A^-1 is also kept as balls (`inverseRows`, linear/inverse_rows.h) for
// what needs it per unknown beyond the moments: each family's variance
// shares (results/variance_shares.h), from the family's own variances and,
// in enumeration, from its cells' (`cellShares`), and the continuous truth
// of each phase (results/truth_check.h), from the parameter pairs kept here.
// Up to kMaxExactSize unknowns the rows are exact (linear/exact_rows.h),
// beyond they are the certified inverse's enclosure. Without them
// `inverseReason` says why, in words for the report.
#ifndef LINPROB_RESULTS_SYSTEM_REFERENCE_H_
#define LINPROB_RESULTS_SYSTEM_REFERENCE_H_

#include <array>
#include <bitset>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "distributions/entry_correlation.h"
#include "distributions/family.h"
#include "distributions/sample_rectangle.h"
#include "linear/certified_inverse.h"
#include "linear/exact_moments.h"
#include "linear/exact_reference.h"
#include "linear/inverse_rows.h"
#include "results/condition_verdict.h"
#include "results/interval_matrix_result.h"
#include "results/variance_shares.h"

namespace linprob {

// The largest system the certified references are computed for (at
// n = 2000 about 0.55 GB and a minute of processor time, see
// docs/methods.md).
inline constexpr unsigned kMaxCertifiedSize = 2000;

// Correlated entries: the moments take the covariance of the copula where
// it has a closed form (linear/copula_covariance.h: the normal family's
// D R D, the uniform's and the lognormal's), and the normal family's truth
// and shares theirs, up to this many unknowns (O(n^2) ball operations an
// unknown).
inline constexpr unsigned kMostCorrelatedUnknowns = 200;

using UnknownMomentList = std::vector<std::optional<UnknownMoments>>;

struct FamilyReference {
  UnknownMomentList exactLinear;
  std::optional<UnknownMomentList> expected;
  std::vector<UnknownShares> shares;  // by unknown
  std::optional<std::vector<UnknownShares>> cellShares;
  // Correlated normal entries (results/correlated_shares.h): `shares` are
  // the full first-order indices and these the independent ones, none where
  // R has no certified inverse. Other families of correlated entries have
  // no shares at all.
  std::optional<std::vector<UnknownShares>> independentShares;
};

// Why a field of the references is empty or incomplete, one sentence each
// for the report; empty strings when it is complete.
struct ReferenceReasons {
  std::string trueSolution;
  std::string hull;
  std::string conditionNumber;
  std::string moments;
};

// The numbers of a system's input files, as the start-of-run check read
// them, and what the check estimated of them: what its inputs and its
// references (below) both hold, the inputs with their cells, the references
// with what was computed from them.
struct SystemNumbers {
  int system = 0;  // i of "Matrix<i>/"
  unsigned n = 0;
  std::vector<double> matrix;  // row-major, as read
  std::vector<double> rhs;
  std::vector<ValueBounds> intervalRhs;
  // The numbers of each parameter file, by ParameterKind.
  std::array<std::vector<double>, kParameterKindCount> parameters;
  // The entries' correlation matrix R, n x n row-major, from
  // "Correlation.txt" (distributions/entry_correlation.h); empty for
  // independent entries.
  std::vector<double> correlation;

  bool correlated() const { return !correlation.empty(); }
  // The interval matrix [A] from "IntMatice.txt" (n x n, row-major); empty
  // where the system has none.
  std::vector<ValueBounds> intervalMatrix;
  // The random matrices (distributions/random_matrix_files.h), n x n pairs
  // row-major, by the ParameterKind whose families draw them; empty where
  // the system has none.
  std::array<std::vector<double>, kParameterKindCount> randomMatrix;

  const std::vector<double>& randomMatrixOf(ParameterKind kind) const {
    return randomMatrix[static_cast<std::size_t>(kind)];
  }
  bool hasRandomMatrix() const {
    for (const std::vector<double>& numbers : randomMatrix) {
      if (!numbers.empty()) return true;
    }
    return false;
  }
  // The start-of-run check's estimate of κ∞, the largest of the four
  // pivoting modes' (check/numeric_check.h); none when not checked.
  std::optional<double> conditionEstimate;
  // The families the system is analysed under, by Family: those whose
  // files every system has, and those of the optional files it has; a run
  // from Python leaves out those it was given no parameters for. The others
  // have neither phases nor references.
  FamilySet families = requiredFamilies();

  bool runs(Family family) const {
    return families.test(static_cast<std::size_t>(family));
  }
  // Whether a family the system is analysed under reads the file of `kind`
  // (a file none reads may be empty).
  bool reads(ParameterKind kind) const {
    for (const FamilyInfo& family : kFamilies) {
      if (family.parameterKind == kind && runs(family.family)) return true;
    }
    return false;
  }

  // The numbers of one kind's file (a family's row names its kind).
  const std::vector<double>& parametersOf(ParameterKind kind) const {
    return parameters[static_cast<std::size_t>(kind)];
  }
  std::vector<double>& parametersOf(ParameterKind kind) {
    return parameters[static_cast<std::size_t>(kind)];
  }
};

// The system's inputs, read once (every mode and phase of the run takes
// them from here), and the references computed from them.
struct SystemReference : SystemNumbers {
  std::optional<ExactReference> exact;
  // The certified inverse the values came from, for whatever else needs
  // A^-1 (its working data released).
  std::shared_ptr<const CertifiedInverse> inverse;
  ReferenceReasons reasons;
  std::array<std::optional<FamilyReference>, kFamilies.size()> families;
  std::shared_ptr<const InverseRows> inverseRows;
  std::string inverseReason;        // empty when `inverseRows` is set
  std::optional<ConditionVerdict> condition;
  // R's factor for the sampling phases, when the entries are correlated.
  std::shared_ptr<const CorrelationFactor> correlationFactor;
  // The results of the interval matrix, where the system has one
  // (results/interval_matrix_result.h); else, for a system that has one,
  // why they are missing.
  std::optional<IntervalMatrixResult> intervalResults;
  std::string intervalResultsReason;

  const FamilyReference* family(Family f) const {
    const auto& entry = families[static_cast<std::size_t>(f)];
    return entry ? &*entry : nullptr;
  }
};

// What a reference is computed from: the system's input files as read and,
// when the phases enumerate cells, each family's cells ([cell][entry], as
// the phase builds them; none when the phases draw samples).
struct SystemInputs : SystemNumbers {
  std::array<std::optional<RectangleTable>, kFamilies.size()> cells;
};

// What the run reads of a system's references beyond its inputs: the
// certified values, inverse and shares (the report), or nothing (a run that
// writes no report: its files never read them, and at 1,000 unknowns they
// take seconds of one thread and some hundreds of MB).
enum class ReferenceNeed { kCertified, kInputsOnly };

// With ReferenceNeed::kInputsOnly the references hold the inputs alone, as
// beyond kMaxCertifiedSize, with every reason saying that no report needed
// them.
// Throws std::invalid_argument on inputs of the wrong size or that the
// certified computation refuses (the messages of linear/certified_inverse.h
// and linear/exact_*.h, and "system reference: NormalRHS.txt holds 3
// numbers, not 4" or the same of UniformRHS.txt), and PhaseStopped
// (solve/phase_solver.h) when `stop` is requested meanwhile. `table`: the
// family table the references follow, kFamilies but where a test puts a
// row of its own in a family's place.
SystemReference makeSystemReference(
    SystemInputs inputs, const std::stop_token& stop = {},
    ReferenceNeed need = ReferenceNeed::kCertified,
    const FamilyTable& table = kFamilies);

}  // namespace linprob

#endif  // LINPROB_RESULTS_SYSTEM_REFERENCE_H_
