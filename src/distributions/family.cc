#include "distributions/family.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>

#include "distributions/discretisation.h"
#include "distributions/entry_quantiles.h"
#include "linear/exact_moments.h"

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

// The first and the second number of every entry, as the cells of the
// three families take them.
struct Columns {
  std::vector<double> first;
  std::vector<double> second;
};
Columns columnsOf(const EntryParameters& entries) {
  Columns columns;
  const unsigned n = entries.size();
  columns.first.reserve(n);
  columns.second.reserve(n);
  for (unsigned e = 0; e < n; ++e) {
    columns.first.push_back(entries.entry(e)[0]);
    columns.second.push_back(entries.entry(e)[1]);
  }
  return columns;
}

}  // namespace

namespace family_rows {

RectangleTable normalCells(int count, const EntryParameters& entries) {
  const Columns c = columnsOf(entries);
  return linprob::normalCells(entries.size(), count, c.first, c.second);
}
RectangleTable triangularCells(int count, const EntryParameters& entries) {
  const Columns c = columnsOf(entries);
  return linprob::triangularCells(entries.size(), count, c.first, c.second);
}
RectangleTable uniformCells(int count, const EntryParameters& entries) {
  const Columns c = columnsOf(entries);
  return linprob::uniformCells(entries.size(), count, c.first, c.second);
}

NormalParameters normalMoments(EntryNumbers entry) {
  return NormalParameters{entry[0], entry[1]};
}
NormalParameters triangularMoments(EntryNumbers entry) {
  return boundedMoments(entry[0], entry[1], 24.0);
}
NormalParameters uniformMoments(EntryNumbers entry) {
  return boundedMoments(entry[0], entry[1], 12.0);
}

ExactEntryMoments exactNormalMoments(EntryNumbers entry) {
  return ExactEntryMoments{normalEntryMoments(entry[0], entry[1])};
}
ExactEntryMoments exactTriangularMoments(EntryNumbers entry) {
  return ExactEntryMoments{boundedEntryMoments(entry[0], entry[1], 24)};
}
ExactEntryMoments exactUniformMoments(EntryNumbers entry) {
  return ExactEntryMoments{boundedEntryMoments(entry[0], entry[1], 12)};
}

// The mean plus or minus kSamplingDeviations standard deviations, far
// beyond anything the normal draws reach; a variance of 0 is the mean
// itself.
SamplingRange normalRange(EntryNumbers entry) {
  const double mean = entry[0];
  const double variance = entry[1];
  const double reach = kSamplingDeviations * std::sqrt(variance);
  return SamplingRange{mean - reach, mean + reach};
}
SamplingRange boundedRange(EntryNumbers entry) {
  return SamplingRange{entry[0], entry[1]};
}

// As InverseCdf maps the entries of the three families.
double normalQuantile(EntryNumbers entry, double u) {
  const double mean = entry[0];
  const double variance = entry[1];
  if (variance == 0.0) return mean;
  const double scaled = std::sqrt(variance) * standardNormalQuantile(u);
  return mean + scaled;
}
double triangularQuantile(EntryNumbers entry, double u) {
  return linprob::triangularQuantile(entry[0], entry[1], u);
}
double uniformQuantile(EntryNumbers entry, double u) {
  return linprob::uniformQuantile(entry[0], entry[1], u);
}

}  // namespace family_rows

// Fewer numbers than n entries take would be read beyond the list: refused
// with std::invalid_argument "family parameters: UniformRHS.txt holds 3
// numbers, not 4".
EntryParameters entryParameters(const FamilyInfo& family,
                                const std::vector<double>& numbers,
                                unsigned n) {
  const ParameterKind kind = family.parameterKind;
  EntryParameters entries;
  entries.width = entryWidth(kind, numbers.size(), n);
  const std::size_t count = std::size_t{entries.width} * n;
  if (entries.width == 0 || numbers.size() < count) {
    throw std::invalid_argument(
        std::string("family parameters: ") + parameterFileOf(family) +
        " holds " + std::to_string(numbers.size()) + " numbers, not " +
        (entries.width == 0 ? "a line of entries for each of " +
                                  std::to_string(n)
                            : std::to_string(count)));
  }
  entries.numbers.assign(numbers.begin(),
                         numbers.begin() + static_cast<std::ptrdiff_t>(count));
  // The values of a line are in no order: each entry's come sorted, so
  // that its cells and its quantile read them in order.
  if (kindInfo(kind).layout == EntryLayout::kLine) {
    for (unsigned e = 0; e < n; ++e) {
      const auto first = entries.numbers.begin() +
                         static_cast<std::ptrdiff_t>(std::size_t{e} * entries.width);
      std::sort(first, first + entries.width);
    }
  }
  return entries;
}

std::vector<NormalParameters> familyMoments(const FamilyInfo& family,
                                            const EntryParameters& entries) {
  std::vector<NormalParameters> moments;
  moments.reserve(entries.size());
  for (unsigned e = 0; e < entries.size(); ++e) {
    moments.push_back(family.moments(entries.entry(e)));
  }
  return moments;
}

}  // namespace linprob
