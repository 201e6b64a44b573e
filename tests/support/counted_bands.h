// Test support: the bands of one position counted from its solved values and
// their weights, with the weighted moments (about `reference`) and the fine
// histogram that the counting pass keeps, so that measures can be tested on
// values the test knows.
#ifndef LINPROB_TESTS_SUPPORT_COUNTED_BANDS_H_
#define LINPROB_TESTS_SUPPORT_COUNTED_BANDS_H_

#include <algorithm>
#include <vector>

#include "solve/band_table.h"

namespace linprob::testing {

inline PositionBands countedBands(const std::vector<double>& values,
                                  const std::vector<double>& weights,
                                  int histogramPrecision,
                                  double reference = 0.0) {
  PositionBands bands;
  if (values.empty()) return bands;
  bands.count = values.size();
  bands.min = *std::min_element(values.begin(), values.end());
  bands.max = *std::max_element(values.begin(), values.end());
  layBorders(bands, histogramPrecision);
  bands.moments.emplace(reference);
  bands.fine.emplace(bands.min, bands.max);
  for (std::size_t j = 0; j < values.size(); ++j) {
    bands.masses[bandIndex(bands, values[j])] += weights[j];
    bands.moments->add(values[j], weights[j]);
    bands.fine->add(values[j], weights[j]);
  }
  return bands;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_COUNTED_BANDS_H_
