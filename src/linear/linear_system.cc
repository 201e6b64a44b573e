#include "linear/linear_system.h"

#include <cassert>
#include <cmath>
#include <cstddef>
#include <utility>

namespace linprob {
namespace {

double largestAbsoluteEntry(const std::vector<std::vector<double>>& matrix) {
  double largest = 0.0;
  for (const std::vector<double>& column : matrix) {
    for (double entry : column) {
      if (std::fabs(entry) > largest) largest = std::fabs(entry);
    }
  }
  return largest;
}

}  // namespace

LinearSystem::LinearSystem(unsigned n)
    : columnOrder_(n), matrix_(n, std::vector<double>(n, 0.0)), size_(n) {
  for (unsigned k = 0; k < n; ++k) columnOrder_[k] = k;
}

LinearSystem LinearSystem::fromRows(unsigned n,
                                    const std::vector<double>& rowMajor) {
  assert(rowMajor.size() == std::size_t{n} * n);
  LinearSystem system(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) {
      system.matrix_[c][r] = rowMajor[std::size_t{r} * n + c];
    }
  }
  return system;
}

void LinearSystem::setCoefficient(unsigned row, unsigned column, double value) {
  assert(!eliminated_);
  matrix_[column][row] = value;
}

void LinearSystem::exchange(Exchange what, unsigned a, unsigned b) {
  if (what == Exchange::kColumns) {
    std::swap(matrix_[a], matrix_[b]);
    std::swap(columnOrder_[a], columnOrder_[b]);
    steps_.push_back(step{StepKind::kExchange, a, b, kColumnExchange});
  } else {
    for (unsigned c = 0; c < size_; ++c) std::swap(matrix_[c][a], matrix_[c][b]);
    steps_.push_back(step{StepKind::kExchange, a, b, kRowExchange});
  }
}

void LinearSystem::addRow(unsigned source, unsigned target, double factor) {
  steps_.push_back(step{StepKind::kCombination, source, target, factor});
  for (unsigned t = 0; t < size_; ++t) {
    // Product and sum are rounded separately, as the replay does them.
    const double product = matrix_[t][source] * factor;
    matrix_[t][target] = product + matrix_[t][target];
    const double magnitude = std::fabs(matrix_[t][target]);
    if (magnitude > largestEntry_) largestEntry_ = magnitude;
  }
}

void LinearSystem::scaleRow(unsigned row) {
  steps_.push_back(step{StepKind::kScaling, row, 0, matrix_[row][row]});
  matrix_[row][row] = 1.0;
}

void LinearSystem::eliminate(const PivotMode& mode,
                             const std::stop_token& stop) {
  assert(!eliminated_);
  eliminated_ = true;
  const bool rowPivot = mode.rowPivot;
  const bool colPivot = mode.colPivot;
  std::vector<std::vector<double>>& matrix = matrix_;
  const unsigned n = size_;
  const double inputLargest = largestAbsoluteEntry(matrix);
  largestEntry_ = inputLargest;
  for (unsigned i = 0; i < n; ++i) {
    if (rowPivot || colPivot) {
      double best = 0.0;
      unsigned bestRow = 0;
      unsigned bestColumn = 0;
      if (rowPivot && colPivot) {
        for (unsigned c = i; c < n; ++c) {
          for (unsigned r = i; r < n; ++r) {
            if (std::fabs(matrix[c][r]) > best) {
              best = std::fabs(matrix[c][r]);
              bestRow = r;
              bestColumn = c;
            }
          }
        }
        if (bestColumn > i) exchange(Exchange::kColumns, bestColumn, i);
        if (bestRow > i) exchange(Exchange::kRows, bestRow, i);
      } else if (rowPivot) {
        for (unsigned r = i; r < n; ++r) {
          if (std::fabs(matrix[i][r]) > best) {
            best = std::fabs(matrix[i][r]);
            bestRow = r;
          }
        }
        if (bestRow > i) exchange(Exchange::kRows, bestRow, i);
      } else {
        for (unsigned c = i; c < n; ++c) {
          if (std::fabs(matrix[c][i]) > best) {
            best = std::fabs(matrix[c][i]);
            bestColumn = c;
          }
        }
        if (bestColumn > i) exchange(Exchange::kColumns, bestColumn, i);
      }
    }
    for (unsigned j = i + 1; j < n; ++j) {
      if (stop.stop_requested()) return;
      addRow(i, j, -matrix[i][j] / matrix[i][i]);
    }
  }
  for (unsigned b = n; b-- > 0;) {
    for (unsigned m = b; m-- > 0;) {
      if (stop.stop_requested()) return;
      addRow(b, m, -matrix[b][m] / matrix[b][b]);
    }
    scaleRow(b);
  }
  pivotGrowth_ = largestEntry_ / inputLargest;
}

std::optional<PivotFault> findPivotFault(const LinearSystem& system) {
  for (const step& s : system.steps()) {
    if (s.type == StepKind::kCombination && !std::isfinite(s.value)) {
      return PivotFault{s.first, s.value};
    }
    if (s.type == StepKind::kScaling && (s.value == 0.0 || !std::isfinite(s.value))) {
      return PivotFault{s.first, s.value};
    }
  }
  return std::nullopt;
}

}  // namespace linprob
