#include "linear/interval_matrix.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cmath>
#include <cstddef>

#include "base/thread_group.h"
#include "linear/linear_system.h"
#include "linear/step.h"
#include "linear/upward_rounding.h"

namespace linprob {
namespace {

// Below this many unknowns one thread does the whole elimination.
constexpr unsigned kRowsPerThread = 64;

bool finite(const RoundedUp& x) {
  return std::isfinite(x.negLow) && std::isfinite(x.up);
}

}  // namespace

PivotOrder pivotOrderOf(const LinearSystem& system) {
  const unsigned n = system.size();
  PivotOrder order;
  order.rows.resize(n);
  for (unsigned k = 0; k < n; ++k) order.rows[k] = k;
  for (const step& s : system.steps()) {
    if (s.type == StepKind::kExchange && s.value == kRowExchange &&
        s.first < n && s.second < n) {
      std::swap(order.rows[s.first], order.rows[s.second]);
    }
  }
  order.columns = system.columnOrder();
  return order;
}

std::vector<double> IntervalMatrix::midpoints() const {
  std::vector<double> mid(entries.size());
  for (std::size_t k = 0; k < entries.size(); ++k) {
    // Halved first: the sum of two large ends cannot overflow.
    const double half = entries[k].lower * 0.5;
    mid[k] = half + entries[k].upper * 0.5;
  }
  return mid;
}

Enclosure naiveElimination(const IntervalMatrix& a,
                           const std::vector<ValueBounds>& b,
                           const PivotOrder& order, unsigned threads,
                           const std::stop_token& stop) {
  const unsigned n = a.n;
  // Position k's row holds row order.rows[k] of [A], its columns in the
  // order order.columns.
  std::vector<RoundedUp> m(std::size_t{n} * n);
  std::vector<RoundedUp> r(n);
  for (unsigned k = 0; k < n; ++k) {
    for (unsigned j = 0; j < n; ++j) {
      m[std::size_t{k} * n + j] =
          RoundedUp::of(a.at(order.rows[k], order.columns[j]));
    }
    r[k] = RoundedUp::of(b[order.rows[k]]);
  }
  const unsigned workers =
      std::max(1u, std::min(threads, n / kRowsPerThread));
  // Why the elimination ended early, written by worker 0 before the
  // barrier that every worker then passes: 1 a pivot held zero, 2 stopped.
  std::atomic<int> abort{0};
  std::atomic<unsigned> zeroPivot{0};
  std::barrier sync(static_cast<std::ptrdiff_t>(workers));
  auto forward = [&](unsigned worker) {
    const UpwardRounding rounding;
    for (unsigned k = 0; k < n; ++k) {
      if (worker == 0) {
        if (stop.stop_requested()) {
          abort = 2;
        } else if (m[std::size_t{k} * n + k].holdsZero()) {
          zeroPivot = k;
          abort = 1;
        }
      }
      sync.arrive_and_wait();
      if (abort != 0) return;
      const RoundedUp pivot = m[std::size_t{k} * n + k];
      const RoundedUp* const pivotRow = m.data() + std::size_t{k} * n;
      for (unsigned i = k + 1; i < n; ++i) {
        if (i % workers != worker) continue;
        RoundedUp* const row = m.data() + std::size_t{i} * n;
        // One interval operation per statement, in the recorded order.
        const RoundedUp factor = row[k] / pivot;
        for (unsigned j = k + 1; j < n; ++j) {
          const RoundedUp product = factor * pivotRow[j];
          row[j] = row[j] - product;
        }
        const RoundedUp product = factor * r[k];
        r[i] = r[i] - product;
      }
      sync.arrive_and_wait();
    }
  };
  if (workers == 1) {
    forward(0);
  } else {
    ThreadGroup group;
    for (unsigned w = 0; w < workers; ++w) {
      group.start([&, w](const std::stop_token&) { forward(w); });
    }
    group.join();
  }
  Enclosure result;
  if (abort == 2) {
    result.reason = "stopped";
    return result;
  }
  if (abort == 1) {
    result.reason = "the pivot interval at position " +
                    std::to_string(zeroPivot.load()) + " holds 0";
    return result;
  }
  std::vector<ValueBounds> x(n);
  {
    const UpwardRounding rounding;
    // The backward pass: rows above each pivot, from the last pivot up.
    for (unsigned k = n; k-- > 0;) {
      const RoundedUp pivot = m[std::size_t{k} * n + k];
      for (unsigned i = 0; i < k; ++i) {
        const RoundedUp factor = m[std::size_t{i} * n + k] / pivot;
        const RoundedUp product = factor * r[k];
        r[i] = r[i] - product;
      }
    }
    for (unsigned k = 0; k < n; ++k) {
      const RoundedUp value = r[k] / m[std::size_t{k} * n + k];
      if (!finite(value)) {
        result.reason = "an end overflows";
        return result;
      }
      x[order.columns[k]] = value.bounds();
    }
  }
  result.bounds = std::move(x);
  return result;
}

}  // namespace linprob
