#include "cost/reference_timing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <utility>

#include "base/elapsed_seconds.h"
#include "cost/made_up_system.h"
#include "config/system_inputs.h"
#include "linear/certified_inverse.h"
#include "solve/phase_solver.h"

namespace linprob {
namespace {

using Clock = std::chrono::steady_clock;

// Bits a term gains: 58.5 less those the condition number costs.
constexpr double kTermBits = 58.5;

}  // namespace

int expectedInverseTerms(double condition) {
  const double lost = std::log2(std::max(condition, 1.0));
  const double gained = kTermBits - lost;
  if (!(gained > 0.0)) return kMaxInverseTerms;
  const double terms = std::ceil(kTargetResidualBits / gained);
  return static_cast<int>(
      std::clamp(terms, 2.0, static_cast<double>(kMaxInverseTerms)));
}

std::optional<double> referenceSecondsPerSystem(const RunConfig& config,
                                                const SystemInputs& first,
                                                double condition,
                                                const std::stop_token& stop) {
  const RunSettings& settings = config.settings();
  const unsigned n = settings.Dimensions;
  const ReferenceNeed need = config.referenceNeed();
  try {
    if (need == ReferenceNeed::kInputsOnly || n <= kTimedReferenceUnknowns ||
        n > kMaxCertifiedSize) {
      SystemInputs inputs = first;
      const Clock::time_point start = Clock::now();
      addCells(config, inputs);
      makeSystemReference(std::move(inputs), stop, need);
      return secondsSince(start);
    }
    const Clock::time_point start = Clock::now();
    const SystemReference madeUp = makeSystemReference(
        madeUpInputs(kTimedReferenceUnknowns), stop, need);
    const double seconds = secondsSince(start);
    const double scale = static_cast<double>(n) / kTimedReferenceUnknowns;
    const int terms = madeUp.inverse ? std::max(madeUp.inverse->terms(), 1) : 2;
    return seconds * scale * scale * scale * expectedInverseTerms(condition) /
           terms;
  } catch (const PhaseStopped&) {
    return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace linprob
