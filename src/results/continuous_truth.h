// The continuous truth of one unknown: the probabilities of the bands of
// its VALID histogram and of both tails under the exact distribution of
// x_i = sum_j (A^-1)ij b_j with the b_j independent and following the
// family as its parameters describe it (distributions/sum_law.h), each with
// a bound on its error (certified in ball arithmetic, or by a rounding
// analysis carried through the double arithmetic).
//
// Method, by law:
//   normal               erfc in Arb (kNormal);
//   uniform, triangular  the alternating sum of polynomial pieces
//                        (distributions/piecewise_cdf.h) while the pieces
//                        number at most kMaxPieces and, times the points,
//                        stay cheap: at 128 bits and then more until every
//                        bound is at most kWantedError (kPiecewise);
//                        otherwise first the characteristic function in
//                        doubles with bounded roundings
//                        (distributions/rounded_characteristic_cdf.h,
//                        kRoundedCharacteristic), kept when its bounds are
//                        within 1e-11; then the alternating sum where it
//                        can be had at all, and, for laws of at most 64
//                        parts, the characteristic function in Arb
//                        (distributions/characteristic_cdf.h,
//                        kCharacteristic); the best bound wins.
// The table is given only when every bound is at most kTruthErrorLimit;
// otherwise `reason` says why. Each value is the double nearest to its
// ball's midpoint, cut to [0, 1]; its bound covers that rounding too.
//
// The bands are those the normal tables walk (results/phase_result.h): from
// b0 = min through the first `walked` upper borders. No state is shared: any
// number of threads may compute truths at once (each calling
// releaseArbCaches before it ends).
#ifndef LINPROB_RESULTS_CONTINUOUS_TRUTH_H_
#define LINPROB_RESULTS_CONTINUOUS_TRUTH_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "distributions/sum_law.h"
#include "linear/inverse_rows.h"
#include "results/normal_table.h"

namespace linprob {

inline constexpr double kTruthErrorLimit = 1e-9;
inline constexpr double kWantedError = 1e-13;
inline constexpr std::uint64_t kMaxPieces = 4096;

enum class TruthMethod {
  kNormal,
  kPiecewise,
  kCharacteristic,
  kRoundedCharacteristic,
  kEnumeration
};

// "normal", "piecewise polynomial", "characteristic function",
// "characteristic function in doubles", "enumeration of every combination"
const char* truthMethodName(TruthMethod method);

struct TruthTable {
  TruthMethod method = TruthMethod::kNormal;
  NormalTable values;
  NormalTable errors;    // the bound on each value's error, same layout
  double maxError = 0.0;
};

struct TruthOutcome {
  std::optional<TruthTable> table;
  std::string reason;  // empty when the table is given
};

struct TruthQuestion {
  const InverseRows* inverse = nullptr;
  unsigned unknown = 0;
  EntryShape shape = EntryShape::kNormal;
  const std::vector<double>* pairs = nullptr;  // the family's parameters
  double min = 0.0;                            // b0
  const std::vector<double>* borders = nullptr;
  std::size_t walked = 0;                      // bands, from b0 on
  // Normal entries of correlation R (n x n, row-major): the variance of
  // the sum is w^T R w, w_j = a_j sqrt(v_j); nullptr when independent.
  const std::vector<double>* correlation = nullptr;
};

TruthOutcome continuousTruth(const TruthQuestion& question);

}  // namespace linprob

#endif  // LINPROB_RESULTS_CONTINUOUS_TRUTH_H_
