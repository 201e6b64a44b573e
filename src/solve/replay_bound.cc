#include "solve/replay_bound.h"

#include <cmath>
#include <limits>
#include <utility>

namespace linprob {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kUnitRoundoff = 0x1p-53;
constexpr double kUnderflow = 0x1p-1074;

double up(double x) { return std::nextafter(x, kInfinity); }

}  // namespace

double addUp(double a, double b) { return up(a + b); }
double multiplyUp(double a, double b) { return up(a * b); }
double divideUp(double a, double b) { return up(a / b); }

bool ReplayBound::finite() const {
  for (double m : magnitude) {
    if (!std::isfinite(m)) return false;
  }
  for (double e : error) {
    if (!std::isfinite(e)) return false;
  }
  return true;
}

ReplayBound replayBound(const std::vector<step>& steps,
                        const std::vector<double>& inputMagnitude) {
  ReplayBound bound{inputMagnitude,
                    std::vector<double>(inputMagnitude.size(), 0.0)};
  std::vector<double>& magnitude = bound.magnitude;
  std::vector<double>& error = bound.error;
  const std::size_t rows = magnitude.size();
  for (const step& s : steps) {
    switch (s.type) {
      case StepKind::kCombination: {
        if (s.first >= rows || s.second >= rows) break;
        const double factor = std::fabs(s.value);
        const double sum = addUp(multiplyUp(factor, magnitude[s.first]),
                                 magnitude[s.second]);
        const double carried = multiplyUp(factor, error[s.first]);
        const double rounding =
            addUp(multiplyUp(4.0 * kUnitRoundoff, sum), 2.0 * kUnderflow);
        error[s.second] = addUp(addUp(error[s.second], carried), rounding);
        magnitude[s.second] = addUp(
            multiplyUp(1.0 + 4.0 * kUnitRoundoff, sum), 2.0 * kUnderflow);
        break;
      }
      case StepKind::kExchange:
        if (s.value == kRowExchange && s.first < rows && s.second < rows) {
          std::swap(magnitude[s.first], magnitude[s.second]);
          std::swap(error[s.first], error[s.second]);
        }
        break;
      case StepKind::kScaling: {
        if (s.first >= rows) break;
        const double pivot = std::fabs(s.value);
        // A zero or non-finite pivot makes the bound +inf or NaN: unusable.
        const double quotient = divideUp(magnitude[s.first], pivot);
        error[s.first] =
            addUp(addUp(divideUp(error[s.first], pivot),
                        multiplyUp(kUnitRoundoff, quotient)),
                  kUnderflow);
        magnitude[s.first] =
            addUp(multiplyUp(1.0 + 2.0 * kUnitRoundoff, quotient), kUnderflow);
        break;
      }
      default:
        break;  // the replay reports an invalid step and changes nothing
    }
  }
  return bound;
}

}  // namespace linprob
