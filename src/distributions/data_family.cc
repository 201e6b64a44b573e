#include "distributions/data_family.h"

#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "linear/exact_moments.h"

namespace linprob {
namespace family_rows {

RectangleTable dataCells(int count, const EntryParameters& entries) {
  RectangleTable table;
  if (count <= 0) return table;
  const unsigned n = entries.size();
  const std::size_t m = entries.width;
  table.assign(m, std::vector<SampleRectangle>(n));
  const double weight = 1.0 / static_cast<double>(m);
  for (unsigned i = 0; i < n; ++i) {
    const EntryNumbers values = entries.entry(i);
    for (std::size_t k = 0; k < m; ++k) {
      table[k][i].value = values[k];
      table[k][i].probability = weight;
    }
  }
  return table;
}

NormalParameters dataMoments(EntryNumbers entry) {
  // The sums in the values' order, each addition rounded on its own.
  const double m = static_cast<double>(entry.size());
  double sum = 0.0;
  for (const double value : entry) sum += value;
  const double mean = sum / m;
  double squares = 0.0;
  for (const double value : entry) {
    const double deviation = value - mean;
    const double square = deviation * deviation;
    squares += square;
  }
  return NormalParameters{mean, squares / m};
}

ExactEntryMoments exactDataMoments(EntryNumbers entry) {
  const std::vector<double> values(entry.begin(), entry.end());
  const std::vector<double> weights(entry.size(), 1.0);
  return ExactEntryMoments{discretisedEntryMoments(values, weights)};
}

SamplingRange dataRange(EntryNumbers entry) {
  return SamplingRange{entry.front(), entry.back()};
}

double dataQuantile(EntryNumbers entry, double u) {
  // The empirical quantile: the smallest value whose share of the values at
  // or below it exceeds u.
  const double position = u * static_cast<double>(entry.size());
  std::size_t k = position > 0.0 ? static_cast<std::size_t>(position) : 0;
  if (k >= entry.size()) k = entry.size() - 1;
  return entry[k];
}

}  // namespace family_rows

namespace parameter_checks {

void dataEntry(unsigned i, std::span<const double> numbers,
               std::vector<std::string>& problems) {
  for (const double value : numbers) {
    if (!std::isfinite(value)) {
      std::ostringstream text;
      text << "row " << i << " has a value that is not finite (" << value
           << ")";
      problems.push_back(text.str());
      return;
    }
  }
  // The family's moments sum the values and their squared deviations:
  // they must stay finite.
  const NormalParameters moments = family_rows::dataMoments(numbers);
  if (!std::isfinite(moments.mean) || !std::isfinite(moments.variance)) {
    problems.push_back("row " + std::to_string(i) +
                       " has values too far apart for a finite variance");
  }
}

}  // namespace parameter_checks

namespace parameter_stand_ins {

void dataEntry(double center, double halfWidth, std::vector<double>& numbers) {
  numbers.push_back(center - halfWidth);
  numbers.push_back(center + halfWidth);
}

}  // namespace parameter_stand_ins

}  // namespace linprob
