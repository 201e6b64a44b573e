// InverseRows: the rows of A^-1 as Arb balls that enclose them, whatever
// computed them. Everything that needs A^-1 beyond the exact references (the
// variance shares, the continuous truth) reads it through this interface, so
// an exact inverse and a certified ball inverse serve alike.
//
// row(i, precision, out) writes the n entries of row i into out[0 .. n-1],
// each a ball that contains the exact entry. `precision` is the working
// precision in bits the caller is about to compute at: a source that can
// (the exact inverse) gives its entries to about that precision, so that a
// caller that lost too many bits to cancellation may ask again at a higher
// one; a source of fixed precision (the certified inverse, whose enclosure
// is kept as doubles rounded outward) gives its own balls whatever is asked.
//
// Sources hold no mutable state: any number of threads may read rows.
#ifndef LINPROB_LINEAR_INVERSE_ROWS_H_
#define LINPROB_LINEAR_INVERSE_ROWS_H_

#include <memory>

#include <arb.h>

#include "linear/certified_inverse.h"
#include "linear/exact_rows.h"

namespace linprob {

class InverseRows {
 public:
  virtual ~InverseRows() = default;
  virtual unsigned size() const = 0;
  virtual void row(unsigned i, slong precision, arb_ptr out) const = 0;
};

// The rows of an exact inverse (every row, in order), each entry rounded
// into a ball at the precision asked for (exact zeros stay exact).
std::shared_ptr<const InverseRows> exactInverseRows(ExactRows inverse);

// The rows of a certified inverse: each entry the ball of its enclosure.
std::shared_ptr<const InverseRows> certifiedInverseRows(
    std::shared_ptr<const CertifiedInverse> inverse);

}  // namespace linprob

#endif  // LINPROB_LINEAR_INVERSE_ROWS_H_
