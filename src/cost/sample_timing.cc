#include "cost/sample_timing.h"

#include <cstdio>
#include <sstream>

namespace linprob {
namespace {

// Elimination per sample: a n^3 + b n^2 + c seconds (Gauss-Jordan on A, b
// and the unit vectors of the condition number, eight samples a vector).
constexpr double kCubic = 0.4e-9;
constexpr double kSquare = 2e-9;
constexpr double kFixed = 30e-9;
// A drawn entry (a normal quantile; the uniform's is cheaper).
constexpr double kDrawSecondsPerEntry = 12e-9;

// Two significant digits, in fixed notation.
std::string microseconds(double seconds) {
  const double us = seconds * 1e6;
  char text[32];
  std::snprintf(text, sizeof text, us >= 10.0 ? "%.0f" : "%.2g", us);
  return text;
}

}  // namespace

double randomMatrixSampleSeconds(unsigned n) {
  const double m = n;
  const double entries = m * m + m;
  return kCubic * m * m * m + kSquare * m * m + kFixed +
         kDrawSecondsPerEntry * entries;
}

std::string randomMatrixLine(int systems, int of, unsigned n) {
  std::ostringstream text;
  text << "Random matrix: " << systems << " of " << of
       << " systems (NormalMatice.txt or UniformMatice.txt): each sample "
          "drawn with its matrix and eliminated on its own (about "
       << microseconds(randomMatrixSampleSeconds(n)) << " us a sample at n = "
       << n
       << ", one thread); INVALID the first-order approximation at the mean "
          "matrix";
  return text.str();
}

}  // namespace linprob
