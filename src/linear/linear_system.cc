#include "linear/linear_system.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <span>
#include <utility>

#include "linear/column_combination.h"
#include "linear/replay_schedule.h"

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

struct LinearSystem::ScheduleCache {
  std::once_flag compiled;
  std::optional<ReplaySchedule> schedule;  // set once, under `compiled`
};

LinearSystem::LinearSystem(unsigned n)
    : columnOrder_(n), matrix_(n, std::vector<double>(n, 0.0)), size_(n),
      schedule_(std::make_shared<ScheduleCache>()) {
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

void LinearSystem::applyPivots(unsigned t, std::span<const Pivot> pivots) {
  std::size_t k = 0;
  for (; k + kGroupPivots <= pivots.size(); k += kGroupPivots) {
    if (!applyGroup(t, pivots.subspan(k, kGroupPivots))) {
      for (std::size_t j = k; j < k + kGroupPivots; ++j) applyPivot(t, pivots[j]);
    }
  }
  for (; k < pivots.size(); ++k) applyPivot(t, pivots[k]);
}

bool LinearSystem::applyGroup(unsigned t, std::span<const Pivot> group) {
  // The rows where the group's pivots do not all act on an entry that no
  // exchange of theirs moves: the later pivots' own rows (their `from`
  // entries, which the earlier ones change) and the rows they exchange.
  // Those are done one pivot at a time; every other row of the ranges all
  // share in one pass of all the pivots (combineColumnGroup).
  unsigned special[2 * kGroupPivots];
  std::size_t specials = 0;
  const auto isSpecial = [&](unsigned row) {
    for (std::size_t s = 0; s < specials; ++s) {
      if (special[s] == row) return true;
    }
    return false;
  };
  const auto addSpecial = [&](unsigned row) {
    if (!isSpecial(row)) special[specials++] = row;
  };
  unsigned shared = 0;       // the rows every range holds: [shared, sharedEnd)
  unsigned sharedEnd = size_;
  unsigned any = size_;      // the rows some range holds: [any, anyEnd)
  unsigned anyEnd = 0;
  for (std::size_t j = 0; j < group.size(); ++j) {
    const Pivot& pivot = group[j];
    shared = std::max(shared, pivot.first);
    sharedEnd = std::min(sharedEnd, pivot.end);
    any = std::min(any, pivot.first);
    anyEnd = std::max(anyEnd, pivot.end);
    if (j == 0) continue;
    addSpecial(pivot.row);
    if (pivot.exchangeWith != pivot.row) addSpecial(pivot.exchangeWith);
  }
  // Consecutive pivots of one pass, as the panels take them: the rows some
  // ranges hold and others not are later pivots' rows. Anything else is
  // left to one pivot at a time.
  if (shared >= sharedEnd) return false;
  for (unsigned r = any; r < shared; ++r) {
    if (!isSpecial(r)) return false;
  }
  for (unsigned r = sharedEnd; r < anyEnd; ++r) {
    if (!isSpecial(r)) return false;
  }

  double* const column = matrix_[t].data();
  // The first pivot's exchange comes before all of the group's
  // combinations.
  const Pivot& head = group[0];
  if (head.exchangeWith != head.row) {
    std::swap(column[head.row], column[head.exchangeWith]);
  }
  double from[kGroupPivots];
  const double* factors[kGroupPivots];
  double largest = 0.0;
  for (std::size_t j = 0; j < kGroupPivots; ++j) {
    const Pivot& pivot = group[j];
    if (j > 0 && pivot.exchangeWith != pivot.row) {
      std::swap(column[pivot.row], column[pivot.exchangeWith]);
    }
    from[j] = column[pivot.row];
    factors[j] = pivot.factors.data();
    for (std::size_t s = 0; s < specials; ++s) {
      const unsigned r = special[s];
      if (r < pivot.first || r >= pivot.end) continue;
      // As combineColumn: product and sum rounded apart.
      const double product = from[j] * factors[j][r];
      column[r] = product + column[r];
      const double magnitude = std::fabs(column[r]);
      largest = magnitude > largest ? magnitude : largest;
    }
  }
  // The shared rows between the special ones, in order.
  for (std::size_t s = 1; s < specials; ++s) {
    for (std::size_t u = s; u > 0 && special[u - 1] > special[u]; --u) {
      std::swap(special[u - 1], special[u]);
    }
  }
  unsigned start = shared;
  for (std::size_t s = 0; s <= specials; ++s) {
    const unsigned stop =
        s < specials ? std::min(special[s], sharedEnd) : sharedEnd;
    if (stop > start) {
      largest = combineColumnGroup(column, factors, from, start, stop, largest);
    }
    start = std::max(start, stop + 1);
  }
  largestEntry_ = largest > largestEntry_ ? largest : largestEntry_;
  return true;
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
      applyPivots(i, panel);
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
      applyPivots(b, panel);
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
    applyPivots(t, std::span<const Pivot>(panel).subspan(done));
  }
}

void LinearSystem::scaleRow(unsigned row) {
  steps_.push_back(step{StepKind::kScaling, row, 0, matrix_[row][row]});
  matrix_[row][row] = 1.0;
}

const ReplaySchedule& LinearSystem::schedule() const {
  ScheduleCache& cache = *schedule_;
  std::call_once(cache.compiled,
                 [&] { cache.schedule.emplace(steps_, size_); });
  return *cache.schedule;
}

void LinearSystem::eliminate(const PivotMode& mode,
                             const std::stop_token& stop) {
  assert(!eliminated_);
  eliminated_ = true;
  // Copies made before share the cache; this one compiles its own steps.
  schedule_ = std::make_shared<ScheduleCache>();
  const bool rowPivot = mode.rowPivot;
  const bool colPivot = mode.colPivot;
  std::vector<std::vector<double>>& matrix = matrix_;
  const unsigned n = size_;
  const double inputLargest = largestAbsoluteEntry(matrix);
  largestEntry_ = inputLargest;
  // At most n (n - 1) combinations, n scalings and 2 n exchanges: one
  // allocation instead of a doubling vector's copies (at 1,000 unknowns
  // its growth took a tenth of --check).
  steps_.reserve(static_cast<std::size_t>(n) * n + 2 * static_cast<std::size_t>(n));
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
