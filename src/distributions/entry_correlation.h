// Correlated entries: the correlation matrix R of a system's right-hand
// side, from "Correlation.txt" (n x n numbers, row by row), which a system
// may go without. Every family keeps the law of each entry and takes R
// through a Gaussian copula: entry e is F_e^-1(Phi(z_e)) for standard
// normals z of correlation R, which for the normal family is exactly
// mean_e + sd_e z_e, the multivariate normal of covariance D R D
// (InverseCdf::mapNormals).
//
// checkCorrelation refuses, one line each, what is not a correlation
// matrix. CorrelationFactor is R's factor, computed once per system:
// Cholesky with symmetric pivoting, R[order[i]][order[j]] = sum_k L[i][k]
// L[j][k], so that a singular R (rank r < n) has columns of zeros after r
// and needs no other root. EntryCopula turns a block's uniforms in (0, 1)
// into z = L eps, eps = Phi^-1(u) entry by entry, and those into the
// entries' values (InverseCdf::mapNormals), in place and without
// allocating: the entries of a job are mixed within the job, so any block
// of any thread gets the same numbers.
#ifndef LINPROB_DISTRIBUTIONS_ENTRY_CORRELATION_H_
#define LINPROB_DISTRIBUTIONS_ENTRY_CORRELATION_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "distributions/family_box.h"
#include "distributions/inverse_cdf.h"
#include "distributions/job_block.h"

namespace linprob {

inline constexpr const char* kCorrelationFile = "Correlation.txt";

// The problems of R (n x n, row-major), as reported after the file name,
// rows and columns counted from 0:
//   "entry (0, 2) is 0.5 but entry (2, 0) is 0.4: R must be symmetric"
//   "entry (1, 1) is 0.9: the diagonal must be 1"
//   "entry (0, 1) is 1.5: outside [-1, 1]"
//   "entry (0, 1) is not finite (nan)"
//   "not positive semidefinite: its leading minor of order 3 is negative
//    (-0.08)"
// The last is looked for only when the others are absent.
std::vector<std::string> checkCorrelation(const std::vector<double>& r,
                                          unsigned n);

struct CorrelationFactor {
  unsigned n = 0;
  unsigned rank = 0;
  std::vector<unsigned> order;  // the entry of each pivot
  std::vector<double> lower;    // L, row-major n x n, zero above the diagonal

  // R's factor, or nothing when R is not positive semidefinite (beyond
  // n 2^-52 on any pivot).
  static std::optional<CorrelationFactor> of(const std::vector<double>& r,
                                             unsigned n);
};

class EntryCopula {
 public:
  // The factor is shared with the system's other phases, not copied.
  EntryCopula(std::shared_ptr<const CorrelationFactor> factor,
              const FamilyInfo& family, const EntryParameters& entries)
      : factor_(std::move(factor)), laws_(family, entries) {}

  // Entries 0 ... n-1 of `block`, lanes 0 ... count-1: uniforms in (0, 1)
  // in; out the entries' values of correlated standard normals, each held
  // within -+40.
  void correlate(JobBlock& block, std::size_t count) const;
  // The same from independent standard normals (the cells of an
  // enumeration) instead of uniforms.
  void correlateNormals(JobBlock& block, std::size_t count) const;
  // The box of the entries' values when every independent normal lies in
  // [-deviation, deviation]: entry order[i] within the sum of |L[i][k]|
  // times that, mapped through the entry's law (which keeps order).
  FamilyBox normalsBox(double deviation) const;

 private:
  std::shared_ptr<const CorrelationFactor> factor_;
  InverseCdf laws_;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_ENTRY_CORRELATION_H_
