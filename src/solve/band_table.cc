#include "solve/band_table.h"

#include <algorithm>

namespace linprob {
namespace {

int bandCount(int histogramPrecision) {
  return std::max(histogramPrecision, 1);
}

}  // namespace

double bandWidth(double min, double max, int histogramPrecision) {
  const double range = max - min;
  return range / static_cast<double>(bandCount(histogramPrecision));
}

bool mayOpenBand(int bandsOpen, double upper, double step,
                 int histogramPrecision) {
  if (bandsOpen > bandCount(histogramPrecision)) return false;
  const double next = upper + step;
  return next != upper;
}

BorderWalk layBorders(PositionBands& bands, int histogramPrecision) {
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
  return bands.max > upper ? BorderWalk::kFallsShort : BorderWalk::kReachesMax;
}

}  // namespace linprob
