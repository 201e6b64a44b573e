// The parameters of a phase's n entries as one family reads them: the
// numbers of its kind's file (distributions/parameter_files.h), `width` per
// entry, entry after entry, as the file holds them. Entry e is the span
// entry(e); what its numbers mean is the family's row's to say. A family's
// own file pair needs no more than this header (with
// distributions/sample_rectangle.h and linear/normal_parameters.h) to
// declare its row's functions and the check of its file's entries.
#ifndef LINPROB_DISTRIBUTIONS_ENTRY_PARAMETERS_H_
#define LINPROB_DISTRIBUTIONS_ENTRY_PARAMETERS_H_

#include <cstddef>
#include <span>
#include <vector>

namespace linprob {

// One entry's numbers.
using EntryNumbers = std::span<const double>;

// Normal draws are held within this many standard deviations of the mean
// (far beyond anything they reach), for the box of a sampling phase; so
// are lognormal draws, on the scale of their logarithm.
inline constexpr double kSamplingDeviations = 40.0;

// The interval every draw of one entry lies in.
struct SamplingRange {
  double lower = 0.0;
  double upper = 0.0;
};

struct EntryParameters {
  unsigned width = 2;  // numbers per entry
  std::vector<double> numbers;

  unsigned size() const {
    return width == 0 ? 0u : static_cast<unsigned>(numbers.size() / width);
  }
  EntryNumbers entry(std::size_t e) const {
    return EntryNumbers(numbers).subspan(e * width, width);
  }
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_ENTRY_PARAMETERS_H_
