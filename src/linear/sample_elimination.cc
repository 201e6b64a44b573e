#include "linear/sample_elimination.h"

#include <cmath>
#include <utility>

#include "linear/condition_number.h"

namespace linprob {

SampleElimination::SampleElimination(unsigned n, const PivotMode& mode,
                                     double mostCondition)
    : n_(n),
      rowPivot_(mode.rowPivot),
      colPivot_(mode.colPivot),
      mostCondition_(mostCondition),
      columnCount_(2 * std::size_t{n} + 1),
      columns_(columnCount_ * n),
      factors_(n),
      order_(n),
      pivotRows_(n),
      pivotColumns_(n) {}

void SampleElimination::exchangeRows(unsigned a, unsigned b) {
  for (std::size_t c = 0; c < columnCount_; ++c) {
    std::swap(column(c)[a], column(c)[b]);
  }
}

void SampleElimination::exchangeColumns(unsigned a, unsigned b) {
  // A's columns only: the right-hand side and the unit vectors stay.
  double* const first = column(a);
  double* const second = column(b);
  for (unsigned r = 0; r < n_; ++r) std::swap(first[r], second[r]);
  std::swap(order_[a], order_[b]);
}

bool SampleElimination::forward(unsigned i) {
  const unsigned n = n_;
  unsigned bestRow = i;
  unsigned bestColumn = i;
  double best = 0.0;
  if (colPivot_ && rowPivot_) {
    // The first entry of the remaining matrix, column by column, of the
    // largest magnitude above 0.
    for (unsigned c = i; c < n; ++c) {
      const double* const entries = column(c);
      for (unsigned r = i; r < n; ++r) {
        if (std::fabs(entries[r]) > best) {
          best = std::fabs(entries[r]);
          bestRow = r;
          bestColumn = c;
        }
      }
    }
  } else if (colPivot_) {
    for (unsigned c = i; c < n; ++c) {
      if (std::fabs(column(c)[i]) > best) {
        best = std::fabs(column(c)[i]);
        bestColumn = c;
      }
    }
  } else if (rowPivot_) {
    const double* const entries = column(i);
    for (unsigned r = i; r < n; ++r) {
      if (std::fabs(entries[r]) > best) {
        best = std::fabs(entries[r]);
        bestRow = r;
      }
    }
  }
  pivotRows_[i] = bestRow;
  pivotColumns_[i] = bestColumn;
  if (bestColumn > i) exchangeColumns(bestColumn, i);
  if (bestRow > i) exchangeRows(bestRow, i);
  const double* const pivotColumn = column(i);
  const double pivot = pivotColumn[i];
  for (unsigned r = i + 1; r < n; ++r) {
    // As the recorded factor: the negated entry over the pivot.
    factors_[r] = -pivotColumn[r] / pivot;
    if (!std::isfinite(factors_[r])) return false;
  }
  for (std::size_t c = 0; c < columnCount_; ++c) {
    double* const entries = column(c);
    const double from = entries[i];
    for (unsigned r = i + 1; r < n; ++r) {
      // Product and sum rounded apart, as the replay does.
      const double product = from * factors_[r];
      entries[r] = product + entries[r];
    }
  }
  return true;
}

bool SampleElimination::backward(unsigned b) {
  const double* const pivotColumn = column(b);
  const double pivot = pivotColumn[b];
  if (pivot == 0.0 || !std::isfinite(pivot)) return false;
  for (unsigned t = 0; t < b; ++t) {
    factors_[t] = -pivotColumn[t] / pivot;
    if (!std::isfinite(factors_[t])) return false;
  }
  // A's columns after b are read no more, nor b's own above its pivot.
  for (std::size_t c = 0; c < columnCount_; ++c) {
    if (c >= b && c < n_) continue;
    double* const entries = column(c);
    const double from = entries[b];
    for (unsigned t = 0; t < b; ++t) {
      const double product = from * factors_[t];
      entries[t] = product + entries[t];
    }
  }
  // The scaling step: b's row of the right-hand side and unit vectors.
  for (std::size_t c = n_; c < columnCount_; ++c) {
    column(c)[b] = column(c)[b] / pivot;
  }
  return true;
}

SampleOutcome SampleElimination::solve(const double* a, const double* b,
                                       std::size_t stride) {
  const unsigned n = n_;
  double normA = 0.0;
  for (unsigned r = 0; r < n; ++r) {
    double row = 0.0;
    for (unsigned c = 0; c < n; ++c) {
      const double entry = a[(std::size_t{r} * n + c) * stride];
      column(c)[r] = entry;
      row = row + std::fabs(entry);
    }
    normA = row > normA ? row : normA;
    column(n)[r] = b[std::size_t{r} * stride];
  }
  for (unsigned k = 0; k < n; ++k) {
    double* const unit = column(n + 1 + std::size_t{k});
    for (unsigned r = 0; r < n; ++r) unit[r] = r == k ? 1.0 : 0.0;
    order_[k] = k;
  }
  for (unsigned i = 0; i < n; ++i) {
    if (!forward(i)) return SampleOutcome::kRefused;
  }
  for (unsigned k = n; k-- > 0;) {
    if (!backward(k)) return SampleOutcome::kRefused;
  }
  // ||A^-1||inf: the largest sum of magnitudes along a row of the inverse
  // (rows and columns in any order). A row that is no number (the inverse
  // grown past the doubles) makes the norm none, and the system refused,
  // as the start's check refuses such a matrix.
  double normInverse = 0.0;
  for (unsigned r = 0; r < n; ++r) {
    double row = 0.0;
    for (unsigned k = 0; k < n; ++k) {
      row = row + std::fabs(column(n + 1 + std::size_t{k})[r]);
    }
    normInverse = largerRowSum(normInverse, row);
  }
  const double condition = normA * normInverse;
  if (!(condition <= mostCondition_)) return SampleOutcome::kRefused;
  for (unsigned r = 0; r < n; ++r) {
    if (!std::isfinite(column(n)[r])) return SampleOutcome::kRefused;
  }
  return SampleOutcome::kSolved;
}

}  // namespace linprob
