#include "output/number_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace linprob {
namespace {

template <typename T>
std::string charsOf(T x) {
  // Enough for any double in its shortest form and any 64-bit integer.
  std::array<char, 32> buffer;
  const std::to_chars_result result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
  return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::string numberText(double x) {
  if (!std::isfinite(x)) return std::string();
  return charsOf(x);
}

std::string numberText(std::int64_t x) { return charsOf(x); }

std::string numberText(std::uint64_t x) { return charsOf(x); }

std::ostream& operator<<(std::ostream& out, SixDigits x) {
  const std::ios_base::fmtflags plain = std::ios_base::dec | std::ios_base::skipws;
  if (!std::isfinite(x.value) || out.precision() != 6 || out.flags() != plain ||
      out.width() != 0) {
    return out << x.value;
  }
  std::array<char, 32> buffer;
  const std::to_chars_result result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), x.value,
                    std::chars_format::general, 6);
  return out.write(buffer.data(), result.ptr - buffer.data());
}

}  // namespace linprob
