// The inverse distribution functions that turn uniform points in (0, 1)
// into right-hand-side entries of each family:
//   normal (mean p, variance q):  p + sqrt(q) z(u), z the standard normal
//                                 quantile by Wichura's algorithm AS 241
//                                 (relative error below 1e-16; Boost.Math's
//                                 inverse error function is wrong in double
//                                 under -frounding-math and four times
//                                 slower in long double), its tails taken on
//                                 the smaller of u and 1 - u, so that
//                                 z(1 - u) = -z(u) where 1 - u is exact;
//   symmetric triangular on [p, q], width w = q - p:
//                                 p + w sqrt(u / 2) for u <= 1/2,
//                                 q - w sqrt((1 - u) / 2) above;
//   uniform on [p, q]:            p + w u, held below q as SampleBlocks does;
//   any other family's:           its row's quantile (SampleDraw::kQuantile).
// A degenerate entry of the three (variance 0, or p == q) is the constant p.
//
// InverseCdf holds a phase's entries and maps a block's uniforms in place,
// entry by entry; map() is const and allocates nothing.
#ifndef LINPROB_DISTRIBUTIONS_INVERSE_CDF_H_
#define LINPROB_DISTRIBUTIONS_INVERSE_CDF_H_

#include <cstddef>
#include <vector>

#include "distributions/family.h"

namespace linprob {

double standardNormalQuantile(double u);
double triangularQuantile(double lower, double upper, double u);
double uniformQuantile(double lower, double upper, double u);

class InverseCdf {
 public:
  // Entry e has the pair (first[e], second[e]) of the family's parameter
  // file.
  InverseCdf(const FamilyInfo& family, const std::vector<double>& first,
             const std::vector<double>& second);

  unsigned size() const { return static_cast<unsigned>(entries_.size()); }
  // values[0 ... count-1]: uniforms in (0, 1) of entry `entry` in, its
  // values out.
  void map(unsigned entry, double* values, std::size_t count) const;

 private:
  enum class Shape { kConstant, kNormal, kTriangular, kUniform, kQuantile };
  struct Entry {
    Shape shape = Shape::kConstant;
    double first = 0.0;   // the constant, mean or lower end
    double second = 0.0;  // standard deviation or upper end
  };
  std::vector<Entry> entries_;
  double (*quantile_)(double p, double q, double u);  // the family's
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_INVERSE_CDF_H_
