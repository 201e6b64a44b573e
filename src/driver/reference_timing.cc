#include "driver/reference_timing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <utility>

#include "driver/system_inputs.h"
#include "linear/certified_inverse.h"
#include "solve/phase_solver.h"

namespace linprob {
namespace {

using Clock = std::chrono::steady_clock;

// Bits a term gains: 58.5 less those the condition number costs.
constexpr double kTermBits = 58.5;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A regular made-up system of k unknowns: a dominant diagonal, the other
// entries spread over [-0.5, 0.5), every right-hand side and pair on
// [-1, 1].
SystemInputs madeUpInputs(unsigned k) {
  SystemInputs inputs;
  inputs.n = k;
  inputs.matrix.resize(std::size_t{k} * k);
  for (unsigned r = 0; r < k; ++r) {
    for (unsigned c = 0; c < k; ++c) {
      inputs.matrix[std::size_t{r} * k + c] =
          r == c ? k + 1.0 : ((r * 31 + c * 17) % 23) / 23.0 - 0.5;
    }
    const double b = ((r * 7) % 11) / 11.0 - 0.5;
    inputs.rhs.push_back(b);
    inputs.intervalRhs.push_back(ValueBounds{b - 0.5, b + 0.5});
    inputs.normalPairs.insert(inputs.normalPairs.end(), {b, 1.0 / 12.0});
    inputs.boundsPairs.insert(inputs.boundsPairs.end(), {b - 0.5, b + 0.5});
  }
  return inputs;
}

}  // namespace

int expectedInverseTerms(double condition) {
  const double lost = std::log2(std::max(condition, 1.0));
  const double gained = kTermBits - lost;
  if (!(gained > 0.0)) return kMaxInverseTerms;
  const double terms = std::ceil(kTargetResidualBits / gained);
  return static_cast<int>(
      std::clamp(terms, 2.0, static_cast<double>(kMaxInverseTerms)));
}

std::optional<double> referenceSecondsPerSystem(const RunSettings& settings,
                                                bool writeReport,
                                                const SystemInputs& first,
                                                double condition,
                                                const std::stop_token& stop) {
  const unsigned n = settings.Dimensions;
  const ReferenceNeed need = referenceNeedOf(writeReport);
  try {
    if (need == ReferenceNeed::kInputsOnly || n <= kTimedReferenceUnknowns ||
        n > kMaxCertifiedSize) {
      SystemInputs inputs = first;
      const Clock::time_point start = Clock::now();
      addCells(settings, inputs);
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
