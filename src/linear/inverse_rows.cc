#include "linear/inverse_rows.h"

#include <utility>

#include "linear/ball.h"

namespace linprob {
namespace {

class ExactRows final : public InverseRows {
 public:
  explicit ExactRows(ExactInverse inverse) : inverse_(std::move(inverse)) {}

  unsigned size() const override { return inverse_.size(); }

  void row(unsigned i, slong precision, arb_ptr out) const override {
    for (unsigned j = 0; j < inverse_.size(); ++j) {
      setRational(out + j, inverse_.numerator(i, j), inverse_.denominator(),
                  precision);
    }
  }

 private:
  ExactInverse inverse_;
};

}  // namespace

std::shared_ptr<const InverseRows> exactInverseRows(ExactInverse inverse) {
  return std::make_shared<const ExactRows>(std::move(inverse));
}

}  // namespace linprob
