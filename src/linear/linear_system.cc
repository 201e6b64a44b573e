#include "linear/linear_system.h"

#include <cmath>
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
    : columnOrder(n), matrix(n, std::vector<double>(n, 0.0)), size(n) {
  for (unsigned k = 0; k < n; ++k) columnOrder[k] = k;
}

void LinearSystem::exchange(bool columns, unsigned a, unsigned b) {
  if (columns) {
    std::swap(matrix[a], matrix[b]);
    std::swap(columnOrder[a], columnOrder[b]);
    steps.push_back(step{StepKind::kExchange, a, b, kColumnExchange});
  } else {
    for (unsigned c = 0; c < size; ++c) std::swap(matrix[c][a], matrix[c][b]);
    steps.push_back(step{StepKind::kExchange, a, b, kRowExchange});
  }
}

void LinearSystem::addRow(unsigned source, unsigned target, double factor) {
  steps.push_back(step{StepKind::kCombination, source, target, factor});
  for (unsigned t = 0; t < size; ++t) {
    // Product and sum are rounded separately, as the replay does them.
    const double product = matrix[t][source] * factor;
    matrix[t][target] = product + matrix[t][target];
    const double magnitude = std::fabs(matrix[t][target]);
    if (magnitude > largestEntry) largestEntry = magnitude;
  }
}

void LinearSystem::scaleRow(unsigned row) {
  steps.push_back(step{StepKind::kScaling, row, 0, matrix[row][row]});
  matrix[row][row] = 1.0;
}

void LinearSystem::eliminate(bool rowPivot, bool colPivot,
                             const std::stop_token& stop) {
  const unsigned n = size;
  const double inputLargest = largestAbsoluteEntry(matrix);
  largestEntry = inputLargest;
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
        if (bestColumn > i) exchange(true, bestColumn, i);
        if (bestRow > i) exchange(false, bestRow, i);
      } else if (rowPivot) {
        for (unsigned r = i; r < n; ++r) {
          if (std::fabs(matrix[i][r]) > best) {
            best = std::fabs(matrix[i][r]);
            bestRow = r;
          }
        }
        if (bestRow > i) exchange(false, bestRow, i);
      } else {
        for (unsigned c = i; c < n; ++c) {
          if (std::fabs(matrix[c][i]) > best) {
            best = std::fabs(matrix[c][i]);
            bestColumn = c;
          }
        }
        if (bestColumn > i) exchange(true, bestColumn, i);
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
  pivotGrowth = largestEntry / inputLargest;
}

std::optional<PivotFault> findPivotFault(const LinearSystem& system) {
  for (const step& s : system.steps) {
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
