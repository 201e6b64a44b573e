#include "linear/exact_hull.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include <vector>

#include <arf.h>

#include "base/thread_group.h"
#include "linear/ball.h"
#include "linear/flint_handles.h"

namespace linprob {
namespace {

// out = x exactly.
void setExact(fmpq_t out, double x) {
  Arf exact;
  arf_set_d(exact.get(), x);
  arf_get_fmpq(out, exact.get());
}

// The midpoint (lower + upper) / 2 and radius (upper - lower) / 2, exactly.
void setMidRadius(fmpq_t mid, fmpq_t radius, const ValueBounds& bounds) {
  Fmpq upper;
  setExact(mid, bounds.lower);
  setExact(upper.get(), bounds.upper);
  fmpq_sub(radius, upper.get(), mid);
  fmpq_div_2exp(radius, radius, 1);
  fmpq_add(mid, mid, radius);
}

// [A]'s midpoints and radii, n x n, exactly.
void setMidRadii(const IntervalMatrix& a, FmpqMatrix& center,
                 FmpqMatrix& radius) {
  for (unsigned i = 0; i < a.n; ++i) {
    for (unsigned j = 0; j < a.n; ++j) {
      setMidRadius(center.at(i, j), radius.at(i, j), a.at(i, j));
    }
  }
}

double rounded(const fmpq_t x, arf_rnd_t direction) {
  Arf value;
  arf_set_fmpq(value.get(), x, 53, direction);
  return arf_get_d(value.get(), direction);
}

// The problem's exact numbers, shared read-only by the threads.
struct Problem {
  slong n = 0;
  const FmpqMatrix* center = nullptr;   // A_c
  const FmpqMatrix* radius = nullptr;   // Delta
  const FmpqMatrix* inverse = nullptr;  // A_c^-1
  const FmpqMatrix* rhsCenter = nullptr;  // b_c, n x 1
  const FmpqMatrix* rhsRadius = nullptr;  // delta, n x 1
};

enum class Accord { kFound, kSingular, kEndless };

// x_y of sign vector `signs` (bit i set: y_i = -1) into x (n x 1); the
// caller's matrix, rhs and z (n signs) are its scratch.
Accord solveSignVector(const Problem& p, std::uint64_t signs, FmpqMatrix& x,
                       FmpqMatrix& matrix, FmpqMatrix& rhs,
                       std::vector<int>& z) {
  const slong n = p.n;
  auto y = [&](slong i) { return (signs >> i & 1) != 0 ? -1 : 1; };
  for (slong i = 0; i < n; ++i) {
    if (y(i) > 0) {
      fmpq_add(rhs.at(i, 0), p.rhsCenter->at(i, 0), p.rhsRadius->at(i, 0));
    } else {
      fmpq_sub(rhs.at(i, 0), p.rhsCenter->at(i, 0), p.rhsRadius->at(i, 0));
    }
  }
  // z = sign(A_c^-1 b_y), sign(0) = 1.
  fmpq_mat_mul(x.get(), p.inverse->get(), rhs.get());
  for (slong i = 0; i < n; ++i) z[i] = fmpq_sgn(x.at(i, 0)) < 0 ? -1 : 1;
  const std::uint64_t most = (std::uint64_t{1} << n) + static_cast<std::uint64_t>(n);
  for (std::uint64_t step = 0; step < most; ++step) {
    // A_c - T_y Delta T_z.
    for (slong i = 0; i < n; ++i) {
      for (slong j = 0; j < n; ++j) {
        if (y(i) * z[j] > 0) {
          fmpq_sub(matrix.at(i, j), p.center->at(i, j), p.radius->at(i, j));
        } else {
          fmpq_add(matrix.at(i, j), p.center->at(i, j), p.radius->at(i, j));
        }
      }
    }
    if (!fmpq_mat_solve(x.get(), matrix.get(), rhs.get())) {
      return Accord::kSingular;
    }
    slong flip = -1;
    for (slong k = 0; k < n && flip < 0; ++k) {
      if (fmpq_sgn(x.at(k, 0)) * z[k] < 0) flip = k;
    }
    if (flip < 0) return Accord::kFound;
    z[flip] = -z[flip];
  }
  return Accord::kEndless;
}

}  // namespace

VertexRegularity vertexRegularity(const IntervalMatrix& a,
                                  const std::stop_token& stop) {
  const slong n = a.n;
  if (a.n > kMostVertexRegularity || a.n == 0) return VertexRegularity::kNotDecided;
  FmpqMatrix center(n, n), radius(n, n), vertex(n, n);
  setMidRadii(a, center, radius);
  Fmpq det;
  int sign = 0;
  VertexRegularity found = VertexRegularity::kRegular;
  // T_y Delta T_z = T_-y Delta T_-z: y_0 = 1 (bit 0 of y clear) suffices.
  const std::uint64_t half = std::uint64_t{1} << (n - 1);
  const std::uint64_t all = std::uint64_t{1} << n;
  for (std::uint64_t y = 0; y < half && found == VertexRegularity::kRegular; ++y) {
    if (stop.stop_requested()) {
      found = VertexRegularity::kNotDecided;
      break;
    }
    for (std::uint64_t z = 0; z < all; ++z) {
      for (slong i = 0; i < n; ++i) {
        const bool yi = (y << 1 >> i & 1) != 0;  // y_0 = 1 always
        for (slong j = 0; j < n; ++j) {
          const bool zj = (z >> j & 1) != 0;
          if (yi == zj) {
            fmpq_sub(vertex.at(i, j), center.at(i, j), radius.at(i, j));
          } else {
            fmpq_add(vertex.at(i, j), center.at(i, j), radius.at(i, j));
          }
        }
      }
      fmpq_mat_det(det.get(), vertex.get());
      const int s = fmpq_sgn(det.get());
      if (s == 0 || (sign != 0 && s != sign)) {
        found = VertexRegularity::kSingular;
        break;
      }
      sign = s;
    }
  }
  return found;
}

Enclosure exactHull(const IntervalMatrix& a, const std::vector<ValueBounds>& b,
                    unsigned threads, const std::stop_token& stop) {
  Enclosure result;
  const slong n = a.n;
  if (a.n > kMostHullUnknowns) {
    result.reason = "not computed for more than " +
                    std::to_string(kMostHullUnknowns) + " unknowns (2^n sign "
                    "vectors, each an exact solve)";
    return result;
  }
  FmpqMatrix center(n, n), radius(n, n), inverse(n, n);
  FmpqMatrix rhsCenter(n, 1), rhsRadius(n, 1);
  setMidRadii(a, center, radius);
  for (slong i = 0; i < n; ++i) {
    setMidRadius(rhsCenter.at(i, 0), rhsRadius.at(i, 0),
                 b[static_cast<std::size_t>(i)]);
  }
  if (!fmpq_mat_inv(inverse.get(), center.get())) {
    result.reason = "the midpoint matrix is singular";
    return result;
  }
  const Problem problem{n, &center, &radius, &inverse, &rhsCenter, &rhsRadius};
  const std::uint64_t vectors = std::uint64_t{1} << n;
  // The hull's ends, each thread's own, merged under the lock at its end.
  FmpqMatrix lower(n, 1), upper(n, 1);
  bool any = false;
  std::mutex merge;
  std::atomic<int> failure{0};  // 1 singular, 2 endless
  const unsigned workers = static_cast<unsigned>(std::max<std::uint64_t>(
      1, std::min<std::uint64_t>(threads, vectors / 64)));
  auto work = [&](unsigned worker) {
    FmpqMatrix x(n, 1), matrix(n, n), rhs(n, 1), low(n, 1), high(n, 1);
    std::vector<int> z(static_cast<std::size_t>(n));
    bool own = false;
    for (std::uint64_t s = worker; s < vectors; s += workers) {
      if (stop.stop_requested() || failure != 0) break;
      const Accord accord = solveSignVector(problem, s, x, matrix, rhs, z);
      if (accord != Accord::kFound) {
        failure = accord == Accord::kSingular ? 1 : 2;
        break;
      }
      for (slong i = 0; i < n; ++i) {
        if (!own || fmpq_cmp(x.at(i, 0), low.at(i, 0)) < 0) {
          fmpq_set(low.at(i, 0), x.at(i, 0));
        }
        if (!own || fmpq_cmp(x.at(i, 0), high.at(i, 0)) > 0) {
          fmpq_set(high.at(i, 0), x.at(i, 0));
        }
      }
      own = true;
    }
    if (own) {
      const std::lock_guard<std::mutex> hold(merge);
      for (slong i = 0; i < n; ++i) {
        if (!any || fmpq_cmp(low.at(i, 0), lower.at(i, 0)) < 0) {
          fmpq_set(lower.at(i, 0), low.at(i, 0));
        }
        if (!any || fmpq_cmp(high.at(i, 0), upper.at(i, 0)) > 0) {
          fmpq_set(upper.at(i, 0), high.at(i, 0));
        }
      }
      any = true;
    }
  };
  if (workers == 1) {
    work(0);
  } else {
    ThreadGroup group;
    for (unsigned w = 0; w < workers; ++w) {
      group.start([&, w](const std::stop_token&) {
        work(w);
        releaseArbCaches();
      });
    }
    group.join();
  }
  if (stop.stop_requested()) {
    result.reason = "stopped";
    return result;
  }
  if (failure == 1) {
    result.reason = "a vertex matrix A_c - T_y Delta T_z is singular";
    return result;
  }
  if (failure == 2) {
    result.reason = "the sign accord did not settle within 2^n + n steps";
    return result;
  }
  std::vector<ValueBounds> hull(static_cast<std::size_t>(n));
  for (slong i = 0; i < n; ++i) {
    hull[static_cast<std::size_t>(i)] =
        ValueBounds{rounded(lower.at(i, 0), ARF_RND_FLOOR),
                    rounded(upper.at(i, 0), ARF_RND_CEIL)};
  }
  result.bounds = std::move(hull);
  return result;
}

}  // namespace linprob
