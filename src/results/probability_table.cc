#include "results/probability_table.h"

#include <algorithm>
#include <cmath>

namespace linprob {
namespace {

int bandCount(int histogramPrecision) {
  return std::max(histogramPrecision, 1);
}

// The samples of position i, or nullptr when it has none.
const std::vector<SampleRectangle>* samplesOf(const SampleTable& results,
                                              std::size_t i) {
  if (i >= results.size() || results[i].empty()) return nullptr;
  return &results[i];
}

// Walks the bands of one position's sorted samples and calls
// emit(upper, step, mass) once per band, in ascending order.
template <typename Emit>
void walkBands(const std::vector<SampleRectangle>& samples,
               int histogramPrecision, Emit emit) {
  const double min = samples.front().value;
  const double max = samples.back().value;
  const double step = bandWidth(min, max, histogramPrecision);
  // Every border adds step to the previous one (b1 = Min + step, never
  // Min + k * step), the same sequence of roundings as the approximation.
  double upper = min + step;
  double mass = 0.0;
  int bandsOpen = 1;
  for (const SampleRectangle& sample : samples) {
    // A value on a border stays in the band below it (strict comparison).
    while (sample.value > upper &&
           mayOpenBand(bandsOpen, upper, step, histogramPrecision)) {
      emit(upper, step, mass);
      upper = upper + step;
      mass = 0.0;
      ++bandsOpen;
    }
    // Masses are summed in sorted order from 0.0.
    mass = mass + sample.probability;
  }
  emit(upper, step, mass);
}

void printNoSamples(unsigned variable, std::ostream& out) {
  out << "No samples were solved for variable number " << variable << "."
      << std::endl;
}

}  // namespace

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

void printProbabilities(const SampleTable& results, const LinearSystem& system,
                        int histogramPrecision, std::ostream& out) {
  for (std::size_t i = 0; i < system.columnOrder.size(); ++i) {
    const unsigned variable = system.columnOrder[i];
    const std::vector<SampleRectangle>* samples = samplesOf(results, i);
    if (samples == nullptr) {
      printNoSamples(variable, out);
      continue;
    }
    out << "Showing probabilities for variable number " << variable
        << std::endl;
    out << "<" << samples->front().value << " : 0" << std::endl;
    walkBands(*samples, histogramPrecision,
              [&out](double upper, double step, double mass) {
                // The lower border is recomputed from the upper one.
                const double lower = upper - step;
                out << lower << " to " << upper << " : P=" << mass
                    << std::endl;
              });
  }
}

void storeHistogram(const SampleTable& results, const LinearSystem& system,
                    int histogramPrecision, ResultStore& store, int matrix,
                    int mode, int distribution) {
  for (std::size_t i = 0; i < system.columnOrder.size(); ++i) {
    const std::vector<SampleRectangle>* samples = samplesOf(results, i);
    if (samples == nullptr) continue;
    ProbabilityMap& bins =
        store.bins[system.columnOrder[i]][matrix][mode][distribution];
    walkBands(*samples, histogramPrecision,
              [&bins](double upper, double, double mass) {
                storeProbability(bins, upper, mass, true);
              });
  }
}

}  // namespace linprob
