#include "linear/inverse_rows.h"

#include <utility>
#include <vector>

#include "linear/ball.h"

namespace linprob {
namespace {

class ExactInverseRows final : public InverseRows {
 public:
  explicit ExactInverseRows(ExactRows inverse) : inverse_(std::move(inverse)) {}

  unsigned size() const override { return inverse_.size(); }

  void row(unsigned i, slong precision, arb_ptr out) const override {
    for (unsigned j = 0; j < inverse_.size(); ++j) {
      setRational(out + j, inverse_.numerator(i, j), inverse_.denominator(),
                  precision);
    }
  }

 private:
  ExactRows inverse_;
};

class CertifiedRows final : public InverseRows {
 public:
  explicit CertifiedRows(std::shared_ptr<const CertifiedInverse> inverse)
      : inverse_(std::move(inverse)) {}

  unsigned size() const override { return inverse_->size(); }

  void row(unsigned i, slong precision, arb_ptr out) const override {
    Ball upper;
    const std::vector<ValueBounds> entries = inverse_->rowBounds(i);
    for (unsigned j = 0; j < inverse_->size(); ++j) {
      const ValueBounds& bounds = entries[j];
      arb_set_d(out + j, bounds.lower);
      arb_set_d(upper.get(), bounds.upper);
      arb_union(out + j, out + j, upper.get(), precision);
    }
  }

 private:
  std::shared_ptr<const CertifiedInverse> inverse_;
};

}  // namespace

std::shared_ptr<const InverseRows> exactInverseRows(ExactRows inverse) {
  return std::make_shared<const ExactInverseRows>(std::move(inverse));
}

std::shared_ptr<const InverseRows> certifiedInverseRows(
    std::shared_ptr<const CertifiedInverse> inverse) {
  return std::make_shared<const CertifiedRows>(std::move(inverse));
}

}  // namespace linprob
