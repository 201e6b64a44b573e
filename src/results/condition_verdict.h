// The condition verdict of one system: how many correct significant digits
// its double results can be counted on for, decided once per system from
// the best condition number κ∞ = ‖A‖∞·‖A⁻¹‖∞ known, and worded once, so
// that the console and the report say the same.
//
// The best κ∞ known is the certified one (linear/exact_reference.h, the
// upper end of its enclosure) where the references computed it, else the
// start-of-run check's estimate (the largest of the four pivoting modes',
// from each mode's recorded steps replayed on the unit vectors).
//
// A double keeps 53 bits, 15.95 digits; κ∞ costs log10 κ∞ of them:
//   correctDigits = max(0, floor(53 log10 2 - log10 κ∞)).
// Levels: well conditioned up to kWellConditioned (1e3), moderately
// conditioned up to kIllConditioned (1e9), ill conditioned above. Words:
//   "well conditioned"                                    (well)
//   "results may have fewer than 6 correct significant digits"
//   "results may have no correct significant digits"      (0 digits)
// The console warns about an ill-conditioned system only
// (check/numeric_check.h), with these words.
#ifndef LINPROB_RESULTS_CONDITION_VERDICT_H_
#define LINPROB_RESULTS_CONDITION_VERDICT_H_

#include <optional>
#include <string>

namespace linprob {

inline constexpr double kWellConditioned = 1e3;
inline constexpr double kIllConditioned = 1e9;

enum class ConditionLevel { kWell, kModerate, kIll };
enum class ConditionSource { kCertified, kEstimate };

struct ConditionVerdict {
  double conditionNumber = 0.0;  // the κ∞ it was decided from
  ConditionSource source = ConditionSource::kCertified;
  ConditionLevel level = ConditionLevel::kWell;
  int correctDigits = 0;
  std::string text;  // the words, as above
};

// The verdict from the certified κ∞ when given, else from the check's
// estimate; none when neither is a finite number above 0.
std::optional<ConditionVerdict> conditionVerdict(
    const std::optional<double>& certified,
    const std::optional<double>& estimate);

// "well conditioned", "moderately conditioned", "ill conditioned".
const char* conditionLevelName(ConditionLevel level);
// "certified", "estimate".
const char* conditionSourceName(ConditionSource source);

}  // namespace linprob

#endif  // LINPROB_RESULTS_CONDITION_VERDICT_H_
