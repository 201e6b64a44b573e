#include "linear/replay_schedule.h"

#include <numeric>
#include <utility>

namespace linprob {
namespace {

// The panels of a triangle of n rows, all zero.
PackedTriangle emptyTriangle(unsigned n) {
  const std::size_t panels = (n + kPanelRows - 1) / kPanelRows;
  PackedTriangle triangle;
  triangle.offsets.resize(panels);
  std::size_t size = 0;
  for (std::size_t p = 0; p < panels; ++p) {
    triangle.offsets[p] = size;
    size += (p + 1) * kPanelRows * kPanelRows;
  }
  triangle.panels.assign(size, 0.0);
  return triangle;
}

void setFactor(PackedTriangle& triangle, std::size_t row, std::size_t source,
               double factor) {
  const std::size_t p = row / kPanelRows;
  triangle.panels[triangle.offsets[p] + source * kPanelRows +
                  row % kPanelRows] = factor;
}

// Where the replay has got with one logical row.
struct RowProgress {
  unsigned forward = 0;   // forward combinations received
  unsigned backward = 0;  // backward combinations received
  bool scaled = false;
};

}  // namespace

ReplaySchedule::ReplaySchedule(const std::vector<step>& steps, unsigned n)
    : n_(n) {
  usable_ = compile(steps);
  if (!usable_) {
    inputRows_.clear();
    forward_ = PackedTriangle{};
    backward_ = PackedTriangle{};
    pivots_.clear();
  }
}

bool ReplaySchedule::compile(const std::vector<step>& steps) {
  const unsigned n = n_;
  if (n == 0) return false;
  // First the element each position holds at the end: logical row k.
  std::vector<std::uint32_t> at(n);
  std::iota(at.begin(), at.end(), 0u);
  for (const step& s : steps) {
    switch (s.type) {
      case StepKind::kCombination:
      case StepKind::kExchange:
        if (s.first >= n || s.second >= n) return false;
        if (s.type == StepKind::kExchange && s.value == kRowExchange) {
          std::swap(at[s.first], at[s.second]);
        }
        break;
      case StepKind::kScaling:
        if (s.first >= n) return false;
        break;
      default:
        return false;  // the replay reports it
    }
  }
  inputRows_ = at;
  std::vector<unsigned> logical(n);
  for (unsigned k = 0; k < n; ++k) logical[at[k]] = k;

  // Then every operation, checked against the order of the two solves.
  std::iota(at.begin(), at.end(), 0u);
  std::vector<RowProgress> rows(n);
  forward_ = emptyTriangle(n);
  backward_ = emptyTriangle(n);
  pivots_.assign(n, 0.0);
  for (const step& s : steps) {
    if (s.type == StepKind::kExchange) {
      if (s.value == kRowExchange) std::swap(at[s.first], at[s.second]);
      continue;
    }
    const unsigned k = logical[at[s.type == StepKind::kScaling ? s.first
                                                               : s.second]];
    RowProgress& target = rows[k];
    if (target.scaled) return false;
    if (s.type == StepKind::kScaling) {
      if (target.forward != k || target.backward != n - 1 - k) return false;
      target.scaled = true;
      pivots_[k] = s.value;
      continue;
    }
    const unsigned i = logical[at[s.first]];
    const RowProgress& source = rows[i];
    if (source.scaled || source.forward != i) return false;
    if (i < k) {
      // The next forward source of k, read before its backward ones.
      if (target.forward != i || source.backward != 0) return false;
      ++target.forward;
      setFactor(forward_, k, i, s.value);
    } else if (i > k) {
      // The next backward source of k (from the bottom up), read with all
      // its own backward combinations done.
      if (target.forward != k || i != n - 1 - target.backward ||
          source.backward != n - 1 - i) {
        return false;
      }
      ++target.backward;
      setFactor(backward_, n - 1 - k, n - 1 - i, s.value);
    } else {
      return false;
    }
  }
  for (const RowProgress& row : rows) {
    if (!row.scaled) return false;
  }
  return true;
}

}  // namespace linprob
