#include "results/probability_table.h"

#include <algorithm>
#include <cmath>

namespace linprob {
namespace {

int bandCount(int histogramPrecision) {
  return std::max(histogramPrecision, 1);
}

}  // namespace

void printNoSamples(unsigned variable, std::ostream& out) {
  out << "No samples were solved for variable number " << variable << "."
      << std::endl;
}

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
  printProbabilities(tabulateSortedTable(results, histogramPrecision), system,
                     out);
}

void storeHistogram(const SampleTable& results, const LinearSystem& system,
                    int histogramPrecision, ResultStore& store, int matrix,
                    int mode, int distribution) {
  storeHistogram(tabulateSortedTable(results, histogramPrecision), system,
                 store, matrix, mode, distribution);
}

void printProbabilities(const PhaseBands& bands, const LinearSystem& system,
                        std::ostream& out) {
  for (std::size_t i = 0; i < system.columnOrder.size(); ++i) {
    const unsigned variable = system.columnOrder[i];
    const PositionBands* position = solvedBands(bands, i);
    if (position == nullptr) {
      printNoSamples(variable, out);
      continue;
    }
    out << "Showing probabilities for variable number " << variable
        << std::endl;
    out << "<" << position->min << " : 0" << std::endl;
    for (std::size_t k = 0; k < position->borders.size(); ++k) {
      const double upper = position->borders[k];
      // The lower border is recomputed from the upper one.
      const double lower = upper - position->step;
      out << lower << " to " << upper << " : P=" << position->masses[k]
          << std::endl;
    }
  }
}

void storeHistogram(const PhaseBands& bands, const LinearSystem& system,
                    ResultStore& store, int matrix, int mode,
                    int distribution) {
  for (std::size_t i = 0; i < system.columnOrder.size(); ++i) {
    const PositionBands* position = solvedBands(bands, i);
    if (position == nullptr) continue;
    ProbabilityMap& bins =
        store.bins[system.columnOrder[i]][matrix][mode][distribution];
    for (std::size_t k = 0; k < position->borders.size(); ++k) {
      storeProbability(bins, position->borders[k], position->masses[k], true);
    }
  }
}

PhaseBands tabulateSortedTable(const SampleTable& results,
                               int histogramPrecision) {
  PhaseBands bands(results.size());
  for (std::size_t i = 0; i < results.size(); ++i) {
    bands[i] = tabulateSorted(results[i], histogramPrecision);
  }
  return bands;
}

}  // namespace linprob
