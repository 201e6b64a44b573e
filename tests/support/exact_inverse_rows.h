// The rows of A^-1 for the tests of what reads it through InverseRows: every
// row computed exactly (linear/exact_rows.h), or the certified enclosure
// (linear/certified_inverse.h) that serves systems beyond kMaxExactSize.
#ifndef LINPROB_TESTS_SUPPORT_EXACT_INVERSE_ROWS_H_
#define LINPROB_TESTS_SUPPORT_EXACT_INVERSE_ROWS_H_

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stop_token>
#include <utility>
#include <vector>

#include "linear/certified_inverse.h"
#include "linear/exact_rows.h"
#include "linear/inverse_rows.h"

namespace linprob::testing {

inline std::shared_ptr<const InverseRows> rowsOf(
    unsigned n, const std::vector<double>& matrix) {
  std::vector<unsigned> all(n);
  for (unsigned i = 0; i < n; ++i) all[i] = i;
  std::optional<ExactRows> inverse = ExactRows::compute(n, matrix, all);
  EXPECT_TRUE(inverse);
  return exactInverseRows(std::move(*inverse));
}

inline std::shared_ptr<const InverseRows> certifiedRowsOf(
    unsigned n, const std::vector<double>& matrix) {
  CertifiedInverseResult result =
      CertifiedInverse::compute(n, matrix, std::stop_token{});
  EXPECT_TRUE(result.inverse);
  return certifiedInverseRows(
      std::make_shared<const CertifiedInverse>(std::move(*result.inverse)));
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_EXACT_INVERSE_ROWS_H_
