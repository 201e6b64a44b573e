#include "distributions/family.h"

#include <cstddef>

#include "base/number_file.h"

namespace linprob {
namespace {

// Moments of a distribution on [low, up] with variance (up - low)^2 / divisor.
NormalParameters boundedMoments(double low, double up, double divisor) {
  const double sum = low + up;
  const double width = up - low;
  // The square is rounded before the division.
  const double square = width * width;
  return NormalParameters{sum / 2.0, square / divisor};
}

}  // namespace

NormalParameters familyMoments(Family family, double p, double q) {
  switch (family) {
    case Family::kNormal:
      return NormalParameters{p, q};
    case Family::kTriangular:
      return boundedMoments(p, q, 24.0);
    case Family::kUniform:
      return boundedMoments(p, q, 12.0);
  }
  return NormalParameters{};
}

Result<std::vector<NormalParameters>> readFamilyMoments(
    Family family, const std::string& path, unsigned n) {
  const std::size_t pairs = n;
  const auto file = readNumbers(path, 2 * pairs);
  if (!file.ok()) return file.status();
  const std::vector<double>& values = file.value();
  std::vector<NormalParameters> moments;
  moments.reserve(pairs);
  for (std::size_t i = 0; i < pairs; ++i) {
    moments.push_back(familyMoments(family, values[2 * i], values[2 * i + 1]));
  }
  return moments;
}

}  // namespace linprob
