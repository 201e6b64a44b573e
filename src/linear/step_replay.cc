#include "linear/step_replay.h"

#include <utility>

#include "driver/console.h"
#include "linear/vector_clones.h"

namespace linprob {
namespace {

constexpr const char* kInvalidStep = "ERROR! INVALID STEP TYPE!";

}  // namespace

void replaySteps(std::vector<double>& rhs, const std::vector<step>& steps) {
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

LINPROB_VECTOR_CLONES
void replayBlock(double* values, std::size_t stride, std::size_t lanes,
                 const std::vector<step>& steps) {
  for (const step& s : steps) {
    switch (s.type) {
      case kCombination: {
        const double factor = s.value;
        const double* source = values + s.first * stride;
        double* target = values + s.second * stride;
        for (std::size_t j = 0; j < lanes; ++j) {
          // Product rounded before the sum, lane by lane, as in replaySteps.
          const double product = factor * source[j];
          target[j] = product + target[j];
        }
        break;
      }
      case kExchange:
        if (s.value == kRowExchange) {
          double* a = values + s.first * stride;
          double* b = values + s.second * stride;
          for (std::size_t j = 0; j < lanes; ++j) std::swap(a[j], b[j]);
        }
        break;
      case kScaling: {
        const double pivot = s.value;
        double* row = values + s.first * stride;
        for (std::size_t j = 0; j < lanes; ++j) row[j] = row[j] / pivot;
        break;
      }
      default:
        printLine(kInvalidStep);
    }
  }
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
