#include "linear/step_replay.h"

#include <utility>

#include "driver/console.h"

namespace linprob {
namespace {

constexpr const char* kInvalidStep = "ERROR! INVALID STEP TYPE!";

}  // namespace

void replaySteps(double* rhs, const std::vector<step>& steps) {
  for (const step& s : steps) {
    switch (s.type) {
      case kCombination: {
        // The product is rounded before the sum: the described operation
        // order fixes every bit of the result.
        const double product = s.value * rhs[s.first];
        rhs[s.second] = product + rhs[s.second];
        break;
      }
      case kExchange:
        if (s.value == kRowExchange) std::swap(rhs[s.first], rhs[s.second]);
        break;
      case kScaling:
        rhs[s.first] = rhs[s.first] / s.value;
        break;
      default:
        printLine(kInvalidStep);
    }
  }
}

void replaySteps(std::vector<double>& rhs, const std::vector<step>& steps) {
  replaySteps(rhs.data(), steps);
}

void replaySteps(std::vector<Interval>& rhs, const std::vector<step>& steps) {
  for (const step& s : steps) {
    switch (s.type) {
      case kCombination: {
        const Interval product = s.value * rhs[s.first];
        rhs[s.second] += product;
        break;
      }
      case kExchange:
        if (s.value == kRowExchange) std::swap(rhs[s.first], rhs[s.second]);
        break;
      case kScaling:
        rhs[s.first] /= s.value;
        break;
      default:
        printLine(kInvalidStep);
    }
  }
}

void replaySteps(std::vector<NormalParameters>& rhs,
                 const std::vector<step>& steps) {
  for (const step& s : steps) {
    switch (s.type) {
      case kCombination: {
        const NormalParameters product = rhs[s.first] * s.value;
        rhs[s.second] = rhs[s.second] + product;
        break;
      }
      case kExchange:
        if (s.value == kRowExchange) std::swap(rhs[s.first], rhs[s.second]);
        break;
      case kScaling: {
        // The reciprocal is formed first, then both moments are scaled by it.
        const double reciprocal = 1.0 / s.value;
        rhs[s.first] = rhs[s.first] * reciprocal;
        break;
      }
      default:
        printLine(kInvalidStep);
    }
  }
}

}  // namespace linprob
