// The certified path to a system's reference values (linear/exact_reference.h)
// and to the moments of its unknowns propagated through A^-1
// (linear/exact_moments.h), from one CertifiedInverse.
//
// Every value is a functional of one row a_i of A^-1 (a_i . b, |a_i| . r,
// sum of |a_i|, a_i . mu, a_i^2 . sigma^2); each is evaluated in Arb's ball
// arithmetic on the row's enclosure, and kept when the enclosure decides its
// rounding (linear/ball_rounding.h), so a kept value is bit for bit the one
// exact arithmetic gives. What is not decided raises the precision: up to
// kExtraInverseTerms more terms of the inverse; then, with
// LastResort::kWhenAffordable, the exact rows of the unknowns still open
// (linear/exact_rows.h), where that costs at most kExactSecondsBudget by
// its estimate (always for n <= kMaxExactSize); what is still open then
// stays std::nullopt. The condition number is then kappa's upper bound
// rounded up, with its enclosure.
//
// The computation looks at `stop` between rows and returns std::nullopt
// when it is requested (the exact last resort, one library call, runs to
// its end: its budget keeps that to about a second).
#ifndef LINPROB_LINEAR_CERTIFIED_REFERENCE_H_
#define LINPROB_LINEAR_CERTIFIED_REFERENCE_H_

#include <optional>
#include <stop_token>
#include <vector>

#include "linear/certified_inverse.h"
#include "linear/copula_covariance.h"
#include "linear/exact_moments.h"
#include "linear/exact_reference.h"

namespace linprob {

inline constexpr int kExtraInverseTerms = 2;
inline constexpr double kExactSecondsBudget = 1.0;

enum class LastResort { kWhenAffordable, kNever };

struct ReferenceRequest {
  std::vector<double> rhs;
  std::vector<ValueBounds> intervalRhs;
  // Entry moments to propagate, each n of them (linear/exact_moments.h).
  std::vector<std::vector<EntryMoments>> momentSets;
  // The entries' correlation R (n x n, row-major), empty when they are
  // independent. With it each set's entries have the covariance D R D, D
  // the square roots of the set's variances (normal entries through their
  // copula): the variance of unknown i is w^T R w, w_j = (A^-1)_ij D_j, in
  // balls (O(n^2) an unknown), and exact rows never decide the moments.
  std::vector<double> correlation;
  // By set, how its entries take R (linear/copula_covariance.h): a set
  // beyond this list, or kNormal, as above; kUniform and kLognormal with
  // their copula's covariance in place of D R D. kNone is refused where
  // there is a correlation; without one the list is not read.
  std::vector<CopulaCovariance> copulas;
};

struct CertifiedReference {
  ExactReference values;
  // [set][unknown], std::nullopt where the mean or the variance is open.
  std::vector<std::vector<std::optional<UnknownMoments>>> moments;
  int extraTerms = 0;  // terms added for undecided values
  int exactRows = 0;   // rows the exact last resort computed
};

// Refused input: checkRightHandSides's and checkEntryMoments's messages.
std::optional<CertifiedReference> computeCertifiedReference(
    CertifiedInverse& inverse, const ReferenceRequest& request,
    LastResort lastResort, const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_LINEAR_CERTIFIED_REFERENCE_H_
