#include "linear/linear_system.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "linear/vector_clones.h"

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

using FourDoubles = double __attribute__((vector_size(32)));
using FourWords = std::uint64_t __attribute__((vector_size(32)));

// Lane helpers of the kernels below, always inlined so that each clone runs
// them in its own instructions (vectors by reference: one passed by value
// across an ordinary call would change with the target).
//
// most = |values| lane by lane where that is larger; a NaN never is, as
// with the scalar comparison.
[[gnu::always_inline]] inline void keepLargest(const FourDoubles& values,
                                               FourDoubles& most) {
  const FourWords magnitudeBits = {~(std::uint64_t{1} << 63),
                                   ~(std::uint64_t{1} << 63),
                                   ~(std::uint64_t{1} << 63),
                                   ~(std::uint64_t{1} << 63)};
  FourWords bits;
  std::memcpy(&bits, &values, sizeof bits);
  bits &= magnitudeBits;
  FourDoubles magnitude;
  std::memcpy(&magnitude, &bits, sizeof magnitude);
  most = magnitude > most ? magnitude : most;
}
// The largest of `largest` and the four lanes of `most`.
[[gnu::always_inline]] inline double largestLane(const FourDoubles& most,
                                                 double largest) {
  for (int lane = 0; lane < 4; ++lane) {
    largest = most[lane] > largest ? most[lane] : largest;
  }
  return largest;
}

// column[k] = from * factors[k] + column[k] for first <= k < end, product
// and sum rounded separately, as the replay does them; returns the largest
// of `largest` and every |column[k]| written. Four at a time: the lanes'
// maxima skip a NaN as the scalar comparison does, so any grouping gives the
// same largest value.
LINPROB_VECTOR_CLONES
double combineColumn(double* column, const double* factors, std::size_t first,
                     std::size_t end, double from, double largest) {
  const FourDoubles source = {from, from, from, from};
  FourDoubles most = {largest, largest, largest, largest};
  std::size_t k = first;
  for (; k + 4 <= end; k += 4) {
    FourDoubles target;
    FourDoubles factor;
    std::memcpy(&target, column + k, sizeof target);
    std::memcpy(&factor, factors + k, sizeof factor);
    const FourDoubles product = source * factor;
    const FourDoubles sum = product + target;
    std::memcpy(column + k, &sum, sizeof sum);
    keepLargest(sum, most);
  }
  largest = largestLane(most, largest);
  for (; k < end; ++k) {
    const double product = from * factors[k];
    column[k] = product + column[k];
    const double magnitude = std::fabs(column[k]);
    largest = magnitude > largest ? magnitude : largest;
  }
  return largest;
}

// The largest of `largest` and every |column[k]|, first <= k < end; a NaN
// is skipped, as by the scalar comparison. Four lanes at a time, which any
// grouping allows: the maximum does not depend on the order.
LINPROB_VECTOR_CLONES
double columnMaximum(const double* column, std::size_t first, std::size_t end,
                     double largest) {
  FourDoubles most = {largest, largest, largest, largest};
  std::size_t k = first;
  for (; k + 4 <= end; k += 4) {
    FourDoubles values;
    std::memcpy(&values, column + k, sizeof values);
    keepLargest(values, most);
  }
  largest = largestLane(most, largest);
  for (; k < end; ++k) {
    const double magnitude = std::fabs(column[k]);
    largest = magnitude > largest ? magnitude : largest;
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

LinearSystem::Pivot LinearSystem::takePivot(unsigned row, unsigned first,
                                            unsigned end, bool descending) {
  // Each factor reads the pivot column's entry in its own target row, which
  // no other of these combinations changes: all are taken first.
  Pivot pivot{row, first, end, row, std::vector<double>(end)};
  const std::vector<double>& pivotColumn = matrix_[row];
  for (unsigned target = first; target < end; ++target) {
    pivot.factors[target] = -pivotColumn[target] / pivotColumn[row];
  }
  for (unsigned k = 0; k < end - first; ++k) {
    const unsigned target = descending ? end - 1 - k : first + k;
    steps_.push_back(step{StepKind::kCombination, row, target,
                         pivot.factors[target]});
  }
  return pivot;
}

double LinearSystem::applyPivot(unsigned t, const Pivot& pivot) {
  double* const column = matrix_[t].data();
  if (pivot.exchangeWith != pivot.row) {
    std::swap(column[pivot.row], column[pivot.exchangeWith]);
  }
  // The largest of the magnitudes written (a NaN skipped), then of all so
  // far: the same largest entry as folding them in one by one.
  const double written = combineColumn(column, pivot.factors.data(),
                                       pivot.first, pivot.end,
                                       column[pivot.row], 0.0);
  largestEntry_ = written > largestEntry_ ? written : largestEntry_;
  return written;
}

bool LinearSystem::forwardInPanels(bool rowPivot, const std::stop_token& stop) {
  const unsigned n = size_;
  std::vector<Pivot> panel;
  for (unsigned first = 0; first < n; first += kPanelPivots) {
    const unsigned end = std::min(n, first + kPanelPivots);
    panel.clear();
    for (unsigned i = first; i < end; ++i) {
      if (stop.stop_requested()) return false;
      // Column i catches up with the panel's earlier pivots, then chooses
      // its own.
      for (const Pivot& earlier : panel) applyPivot(i, earlier);
      unsigned bestRow = 0;
      if (rowPivot) {
        double best = 0.0;
        for (unsigned r = i; r < n; ++r) {
          if (std::fabs(matrix_[i][r]) > best) {
            best = std::fabs(matrix_[i][r]);
            bestRow = r;
          }
        }
      }
      if (bestRow > i) {
        std::swap(matrix_[i][bestRow], matrix_[i][i]);
        steps_.push_back(step{StepKind::kExchange, bestRow, i, kRowExchange});
      }
      Pivot pivot = takePivot(i, i + 1, n, false);
      // Column i has its exchange already.
      applyPivot(i, pivot);
      pivot.exchangeWith = bestRow > i ? bestRow : i;
      panel.push_back(std::move(pivot));
    }
    if (stop.stop_requested()) return false;
    sweepPanel(panel, first, end, false);
  }
  return true;
}

bool LinearSystem::backwardInPanels(const std::stop_token& stop) {
  std::vector<Pivot> panel;
  for (unsigned end = size_; end > 0;) {
    const unsigned first = end > kPanelPivots ? end - kPanelPivots : 0;
    panel.clear();
    for (unsigned b = end; b-- > first;) {
      if (stop.stop_requested()) return false;
      for (const Pivot& earlier : panel) applyPivot(b, earlier);
      panel.push_back(takePivot(b, 0, b, true));
      applyPivot(b, panel.back());
      scaleRow(b);
    }
    if (stop.stop_requested()) return false;
    sweepPanel(panel, first, end, true);
    end = first;
  }
  return true;
}

void LinearSystem::sweepPanel(const std::vector<Pivot>& panel, unsigned first,
                              unsigned end, bool descending) {
  for (unsigned t = 0; t < size_; ++t) {
    // A pivot column has its own pivot and the earlier ones already.
    std::size_t done = 0;
    if (t >= first && t < end) {
      done = (descending ? end - 1 - t : t - first) + 1;
    }
    for (std::size_t k = done; k < panel.size(); ++k) applyPivot(t, panel[k]);
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
  if (!colPivot) {
    if (!forwardInPanels(rowPivot, stop)) return;
  } else {
    // A column's pivot search reads a whole row of the remaining matrix, so
    // every pivot is applied to every column before the next is chosen.
    // With row pivoting too, the search reads each column's largest
    // magnitude in the rows still to come (i .. n-1), as the previous
    // pivot wrote them (a row exchange within those rows changes none),
    // instead of the remaining matrix again.
    std::vector<double> remainingLargest(rowPivot ? n : 0);
    for (unsigned c = 0; c < remainingLargest.size(); ++c) {
      remainingLargest[c] = columnMaximum(matrix[c].data(), 0, n, 0.0);
    }
    for (unsigned i = 0; i < n; ++i) {
      double best = 0.0;
      unsigned bestRow = 0;
      unsigned bestColumn = 0;
      if (rowPivot) {
        // The first entry of the remaining matrix, column by column, of the
        // largest magnitude above 0: found from each column's largest, then
        // in the first column that holds it.
        for (unsigned c = i; c < n; ++c) {
          best = remainingLargest[c] > best ? remainingLargest[c] : best;
        }
        bool found = !(best > 0.0);
        for (unsigned c = i; c < n && !found; ++c) {
          if (remainingLargest[c] != best) continue;
          for (unsigned r = i; r < n; ++r) {
            if (std::fabs(matrix[c][r]) == best) {
              bestRow = r;
              bestColumn = c;
              found = true;
              break;
            }
          }
        }
        if (bestColumn > i) {
          std::swap(remainingLargest[bestColumn], remainingLargest[i]);
        }
        if (bestColumn > i) exchange(Exchange::kColumns, bestColumn, i);
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
      if (stop.stop_requested()) return;
      const Pivot pivot = takePivot(i, i + 1, n, false);
      for (unsigned t = 0; t < n; ++t) {
        const double written = applyPivot(t, pivot);
        if (rowPivot) remainingLargest[t] = written;
      }
    }
  }
  if (!backwardInPanels(stop)) return;
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
