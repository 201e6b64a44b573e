#include "results/band_table.h"

#include "results/probability_table.h"

namespace linprob {

void layBorders(PositionBands& bands, int histogramPrecision) {
  const double step = bandWidth(bands.min, bands.max, histogramPrecision);
  bands.step = step;
  bands.borders.clear();
  // Every border adds step to the previous one (b1 = Min + step, never
  // Min + k * step), the same roundings as the sorted walk and the
  // approximation. The first band always exists; the walk over sorted samples
  // opens another only when a sample (at the latest Max) lies above the last
  // border and mayOpenBand allows it.
  double upper = bands.min + step;
  bands.borders.push_back(upper);
  int bandsOpen = 1;
  while (bands.max > upper &&
         mayOpenBand(bandsOpen, upper, step, histogramPrecision)) {
    upper = upper + step;
    bands.borders.push_back(upper);
    ++bandsOpen;
  }
  bands.masses.assign(bands.borders.size(), 0.0);
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

}  // namespace linprob
