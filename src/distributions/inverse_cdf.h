// The inverse distribution functions that turn uniform points in (0, 1)
// into right-hand-side entries of each family: the normal entry (mean p,
// variance q) as p + sqrt(q) z(u), the symmetric triangular and the uniform
// one on [p, q] by their quantiles (distributions/entry_quantiles.h), any
// other family's by its row's quantile (SampleDraw::kQuantile). A degenerate
// entry of the three (variance 0, or p == q) is the constant p.
//
// InverseCdf holds a phase's entries and maps a block's uniforms in place,
// entry by entry; map() is const and allocates nothing.
#ifndef LINPROB_DISTRIBUTIONS_INVERSE_CDF_H_
#define LINPROB_DISTRIBUTIONS_INVERSE_CDF_H_

#include <cstddef>
#include <vector>

#include "distributions/family.h"

namespace linprob {

class InverseCdf {
 public:
  // Entry e has the numbers entries.entry(e) of the family's parameter
  // file.
  InverseCdf(const FamilyInfo& family, const EntryParameters& entries);

  unsigned size() const { return static_cast<unsigned>(entries_.size()); }
  // values[0 ... count-1]: uniforms in (0, 1) of entry `entry` in, its
  // values out.
  void map(unsigned entry, double* values, std::size_t count) const;
  // The same from standard normals z (the copula's, entry_correlation.h):
  // a normal entry is mean + sd z, any other its quantile at Phi(z), held
  // within (0, 1).
  void mapNormals(unsigned entry, double* values, std::size_t count) const;

 private:
  enum class Shape { kConstant, kNormal, kTriangular, kUniform, kQuantile };
  struct Entry {
    Shape shape = Shape::kConstant;
    double first = 0.0;   // the constant, mean or lower end
    double second = 0.0;  // standard deviation or upper end
  };
  std::vector<Entry> entries_;
  EntryParameters quantileEntries_;  // for kQuantile, else empty
  double (*quantile_)(EntryNumbers entry, double u);  // the family's
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_INVERSE_CDF_H_
