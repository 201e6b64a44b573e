// Numbers as the report files write them: the shortest decimal text that
// reads back as the same double (std::to_chars without a format: plain or
// exponent notation, whichever is shorter, e.g. "0.1", "2", "1e-05",
// "-0"), and nothing for a value that is not finite. Integers in decimal.
#ifndef LINPROB_OUTPUT_NUMBER_TEXT_H_
#define LINPROB_OUTPUT_NUMBER_TEXT_H_

#include <cstdint>
#include <ostream>
#include <string>

namespace linprob {

// Empty for NaN and infinities.
std::string numberText(double x);
std::string numberText(std::int64_t x);
std::string numberText(std::uint64_t x);

// A double as an output stream in its default state writes it (printf's
// "%g": six significant digits), the same characters, but formatted by
// std::to_chars, several times faster than the stream's own machinery (the
// summaries and the CSV export write hundreds of thousands of them). A
// stream in another state, or a value that is not finite, goes the
// stream's way.
struct SixDigits {
  double value;
};
std::ostream& operator<<(std::ostream& out, SixDigits x);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_NUMBER_TEXT_H_
