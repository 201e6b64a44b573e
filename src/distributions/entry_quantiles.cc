#include "distributions/entry_quantiles.h"

#include <array>
#include <cmath>

namespace linprob {
namespace {

// Wichura's algorithm AS 241 (PPND16): rational approximations of degree 7
// with a relative error below 1e-16, one for the centre |u - 1/2| <= 0.425
// and two for the tails in r = sqrt(-log(min(u, 1 - u))).
using Coefficients = std::array<double, 8>;

constexpr Coefficients kCentreTop = {
    3.387132872796366608,   133.14166789178437745, 1971.5909503065514427,
    13731.693765509461125,  45921.953931549871457, 67265.770927008700853,
    33430.575583588128105,  2509.0809287301226727};
constexpr Coefficients kCentreBottom = {
    1.0,                    42.313330701600911252, 687.1870074920579083,
    5394.1960214247511077,  21213.794301586595867, 39307.89580009271061,
    28729.085735721942674,  5226.495278852545925};
constexpr Coefficients kNearTop = {
    1.42343711074968357734, 4.6303378461565452959,  5.7694972214606914055,
    3.64784832476320460504, 1.27045825245236838258, 0.24178072517745061177,
    0.0227238449892691845833, 7.7454501427834140764e-4};
constexpr Coefficients kNearBottom = {
    1.0,                     2.05319162663775882187, 1.6763848301838038494,
    0.68976733498510000455,  0.14810397642748007459, 0.0151986665636164571966,
    5.475938084995344946e-4, 1.05075007164441684324e-9};
constexpr Coefficients kFarTop = {
    6.6579046435011037772,   5.4637849111641143699,  1.7848265399172913358,
    0.29656057182850489123,  0.026532189526576123093, 0.0012426609473880784386,
    2.71155556874348757815e-5, 2.01033439929228813265e-7};
constexpr Coefficients kFarBottom = {
    1.0,                     0.59983220655588793769, 0.13692988092273580531,
    0.0148753612908506148525, 7.868691311456132591e-4, 1.8463183175100546818e-5,
    1.4215117583164458887e-7, 2.04426310338993978564e-15};

// c[0] + c[1] x + ... + c[7] x^7 by Horner's rule, highest term first.
double polynomial(const Coefficients& c, double x) {
  double sum = c[7];
  for (int k = 6; k >= 0; --k) {
    const double product = sum * x;
    sum = product + c[static_cast<std::size_t>(k)];
  }
  return sum;
}

}  // namespace

double standardNormalQuantile(double u) {
  const double q = u - 0.5;
  if (std::fabs(q) <= 0.425) {
    const double square = q * q;
    const double r = 0.180625 - square;
    const double ratio =
        polynomial(kCentreTop, r) / polynomial(kCentreBottom, r);
    return q * ratio;
  }
  // The smaller tail (1 - u is exact for u > 1/2), then the sign.
  const double tail = q < 0.0 ? u : 1.0 - u;
  double r = std::sqrt(-std::log(tail));
  double z = 0.0;
  if (r <= 5.0) {
    r = r - 1.6;
    z = polynomial(kNearTop, r) / polynomial(kNearBottom, r);
  } else {
    r = r - 5.0;
    z = polynomial(kFarTop, r) / polynomial(kFarBottom, r);
  }
  return q < 0.0 ? -z : z;
}

double triangularQuantile(double lower, double upper, double u) {
  const double width = upper - lower;
  if (u <= 0.5) {
    const double half = u / 2.0;
    const double offset = width * std::sqrt(half);
    return lower + offset;
  }
  const double rest = 1.0 - u;  // exact for u > 1/2
  const double half = rest / 2.0;
  const double offset = width * std::sqrt(half);
  return upper - offset;
}

double uniformQuantile(double lower, double upper, double u) {
  const double width = upper - lower;
  const double offset = width * u;
  const double value = lower + offset;
  return value < upper ? value : std::nextafter(upper, lower);
}

}  // namespace linprob
