#include "support/sorted_reference.h"

#include <algorithm>
#include <cmath>

namespace linprob::testing {

bool sampleLess(SampleRectangle a, SampleRectangle b) {
  return a.value < b.value;
}

void sortSamples(std::vector<SampleRectangle>& samples) {
  const auto isNumber = [](const SampleRectangle& s) {
    return !std::isnan(s.value);
  };
  const auto numbersEnd =
      std::partition(samples.begin(), samples.end(), isNumber);
  std::sort(samples.begin(), numbersEnd, sampleLess);
}

PositionBands tabulateSorted(const std::vector<SampleRectangle>& sorted,
                             int histogramPrecision) {
  PositionBands bands;
  if (sorted.empty()) return bands;
  bands.count = sorted.size();
  // Min and Max are the end samples; among equal end values (the zeros) the
  // signed zero that lowerThan / higherThan prefer, so that an unstable sort
  // cannot change the printed Min.
  bands.min = sorted.front().value;
  for (const SampleRectangle& sample : sorted) {
    if (!(sample.value == bands.min)) break;
    if (lowerThan(sample.value, bands.min)) bands.min = sample.value;
  }
  bands.max = sorted.back().value;
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
    if (!(it->value == bands.max)) break;
    if (higherThan(it->value, bands.max)) bands.max = it->value;
  }
  layBorders(bands, histogramPrecision);

  // The walk: a sample closes bands while it lies above the current border
  // and another band exists; masses are summed in sorted order from 0.0.
  const std::size_t last = bands.borders.size() - 1;
  std::size_t k = 0;
  double mass = 0.0;
  for (const SampleRectangle& sample : sorted) {
    while (k < last && sample.value > bands.borders[k]) {
      bands.masses[k] = mass;
      mass = 0.0;
      ++k;
    }
    mass = mass + sample.probability;
  }
  bands.masses[k] = mass;
  return bands;
}

PhaseBands tabulateSortedTable(const SampleTable& results,
                               int histogramPrecision) {
  PhaseBands bands(results.size());
  for (std::size_t i = 0; i < results.size(); ++i) {
    bands[i] = tabulateSorted(results[i], histogramPrecision);
  }
  return bands;
}

}  // namespace linprob::testing
