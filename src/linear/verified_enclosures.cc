#include "linear/verified_enclosures.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>

#include "base/thread_group.h"
#include "linear/approximate_inverse.h"
#include "linear/certified_inverse.h"
#include "linear/upward_rounding.h"

namespace linprob {
namespace {

// Below this many rows a second thread costs more than it saves.
constexpr unsigned kRowsPerThread = 64;

// body(i) for every row i, row i on worker i % workers, each worker under
// upward rounding; `stop` is looked at before every row.
template <typename Body>
void forRows(unsigned n, unsigned threads, const std::stop_token& stop,
             Body body) {
  const unsigned workers = std::max(1u, std::min(threads, n / kRowsPerThread));
  auto work = [&](unsigned worker) {
    const UpwardRounding rounding;
    for (unsigned i = worker; i < n; i += workers) {
      if (stop.stop_requested()) return;
      body(i);
    }
  };
  if (workers == 1) {
    work(0);
    return;
  }
  ThreadGroup group;
  for (unsigned w = 0; w < workers; ++w) {
    group.start([&, w](const std::stop_token&) { work(w); });
  }
  group.join();
}

bool finite(const RoundedUp& x) {
  return std::isfinite(x.negLow) && std::isfinite(x.up);
}

// E = C [A] and c = C [b], C an approximate inverse of the midpoints.
struct Preconditioned {
  unsigned n = 0;
  std::vector<RoundedUp> e;  // row-major
  std::vector<RoundedUp> c;
};

std::optional<Preconditioned> precondition(const IntervalMatrix& a,
                                           const std::vector<ValueBounds>& b,
                                           unsigned threads,
                                           const std::stop_token& stop,
                                           std::string& reason) {
  const unsigned n = a.n;
  std::vector<double> inverse;
  const ApproximateOutcome outcome =
      approximateInverse(n, a.midpoints(), inverse, stop);
  if (outcome != ApproximateOutcome::kDone) {
    reason = "its midpoint matrix is singular to working precision";
    return std::nullopt;
  }
  Preconditioned p;
  p.n = n;
  p.e.resize(std::size_t{n} * n);
  p.c.resize(n);
  forRows(n, threads, stop, [&](unsigned i) {
    RoundedUp* const row = p.e.data() + std::size_t{i} * n;
    std::fill(row, row + n, RoundedUp{});
    RoundedUp rhs;
    for (unsigned k = 0; k < n; ++k) {
      const double cik = inverse[std::size_t{i} * n + k];
      if (cik == 0.0) continue;
      for (unsigned j = 0; j < n; ++j) {
        row[j] = row[j] + cik * RoundedUp::of(a.at(k, j));
      }
      rhs = rhs + cik * RoundedUp::of(b[k]);
    }
    p.c[i] = rhs;
  });
  if (stop.stop_requested()) return std::nullopt;
  for (const RoundedUp& x : p.e) {
    if (!finite(x)) {
      reason = "the preconditioned matrix overflows";
      return std::nullopt;
    }
  }
  return p;
}

// The comparison matrix <E>, row-major: exact, each end a double.
std::vector<double> comparisonMatrix(const Preconditioned& p) {
  const unsigned n = p.n;
  std::vector<double> m(std::size_t{n} * n);
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      const RoundedUp& x = p.e[std::size_t{i} * n + j];
      m[std::size_t{i} * n + j] = i == j ? x.mignitude() : -x.magnitude();
    }
  }
  return m;
}

// Whether M (a Z-matrix) is proved a nonsingular M-matrix by v > 0 with
// M v > 0, v the row sums of an enclosure of M^-1's midpoints.
bool provedMMatrix(const std::vector<double>& m, const CertifiedInverse& inverse,
                   unsigned n) {
  std::vector<double> v(n, 0.0);
  for (unsigned i = 0; i < n; ++i) {
    for (const ValueBounds& entry : inverse.rowBounds(i)) {
      v[i] += entry.lower * 0.5 + entry.upper * 0.5;
    }
    if (!(v[i] > 0.0) || !std::isfinite(v[i])) return false;
  }
  const UpwardRounding rounding;
  for (unsigned i = 0; i < n; ++i) {
    double off = 0.0;  // sum of |M_ij| v_j, rounded up
    for (unsigned j = 0; j < n; ++j) {
      if (j == i) continue;
      const double magnitude = -m[std::size_t{i} * n + j];
      off = off + magnitude * v[j];
    }
    // M_ii v_i rounded down.
    const double diagonal = -((-m[std::size_t{i} * n + i]) * v[i]);
    if (!(off < diagonal)) return false;
  }
  return true;
}

std::vector<ValueBounds> boundsOf(const std::vector<RoundedUp>& x) {
  std::vector<ValueBounds> out(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) out[i] = x[i].bounds();
  return out;
}

Enclosure enclosureOf(const std::vector<RoundedUp>& x) {
  Enclosure result;
  for (const RoundedUp& v : x) {
    if (!finite(v)) {
      result.reason = "an end overflows";
      return result;
    }
  }
  result.bounds = boundsOf(x);
  return result;
}

// Whether the iteration moved any end.
bool moved(const std::vector<RoundedUp>& before,
           const std::vector<RoundedUp>& after) {
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i].negLow != after[i].negLow || before[i].up != after[i].up) {
      return true;
    }
  }
  return false;
}

Enclosure krawczyk(const Preconditioned& p, std::vector<RoundedUp> x,
                   unsigned threads, const std::stop_token& stop) {
  const unsigned n = p.n;
  std::vector<RoundedUp> next(n);
  std::atomic<bool> empty{false};
  for (int iteration = 0; iteration < kMostEnclosureIterations; ++iteration) {
    forRows(n, threads, stop, [&](unsigned i) {
      // c_i + sum_j (I - E)_ij x_j.
      RoundedUp sum = p.c[i];
      const RoundedUp* const row = p.e.data() + std::size_t{i} * n;
      for (unsigned j = 0; j < n; ++j) {
        const RoundedUp g = RoundedUp::point(i == j ? 1.0 : 0.0) - row[j];
        sum = sum + g * x[j];
      }
      next[i] = x[i];
      if (!intersect(next[i], sum)) empty = true;
    });
    if (stop.stop_requested()) return Enclosure{std::nullopt, "stopped"};
    if (empty) break;
    const bool changed = moved(x, next);
    x.swap(next);
    if (!changed) break;
  }
  if (empty) {
    return Enclosure{std::nullopt, "an intersection came out empty"};
  }
  return enclosureOf(x);
}

Enclosure gaussSeidel(const Preconditioned& p, std::vector<RoundedUp> x,
                      const std::stop_token& stop) {
  const unsigned n = p.n;
  const UpwardRounding rounding;
  for (int iteration = 0; iteration < kMostEnclosureIterations; ++iteration) {
    if (stop.stop_requested()) return Enclosure{std::nullopt, "stopped"};
    bool changed = false;
    for (unsigned i = 0; i < n; ++i) {
      const RoundedUp* const row = p.e.data() + std::size_t{i} * n;
      RoundedUp sum = p.c[i];
      for (unsigned j = 0; j < n; ++j) {
        if (j == i) continue;
        const RoundedUp product = row[j] * x[j];
        sum = sum - product;
      }
      if (row[i].holdsZero()) {
        return Enclosure{std::nullopt, "a diagonal interval holds 0"};
      }
      const RoundedUp value = sum / row[i];
      const RoundedUp before = x[i];
      if (!intersect(x[i], value)) {
        return Enclosure{std::nullopt, "an intersection came out empty"};
      }
      changed = changed || x[i].negLow != before.negLow || x[i].up != before.up;
    }
    if (!changed) break;
  }
  return enclosureOf(x);
}

}  // namespace

VerifiedEnclosures verifiedEnclosures(const IntervalMatrix& a,
                                      const std::vector<ValueBounds>& b,
                                      unsigned threads,
                                      const std::stop_token& stop) {
  VerifiedEnclosures result;
  const unsigned n = a.n;
  const std::string refused = "[A] may contain a singular matrix: ";
  std::string why;
  std::optional<Preconditioned> p = precondition(a, b, threads, stop, why);
  if (stop.stop_requested()) {
    result.stopped = true;
    return result;
  }
  if (!p) {
    result.obstacle = why;
    result.regularityReason = refused + why;
    return result;
  }
  const std::vector<double> m = comparisonMatrix(*p);
  CertifiedInverseResult certified = CertifiedInverse::compute(n, m, stop);
  if (certified.status == Certification::kStopped) {
    result.stopped = true;
    return result;
  }
  if (!certified.inverse || !provedMMatrix(m, *certified.inverse, n)) {
    result.obstacle =
        "the preconditioned matrix C[A] (C an approximate inverse of the "
        "midpoint matrix) is not proved an H-matrix";
    result.regularityReason = refused + result.obstacle;
    return result;
  }
  result.regular = true;
  const CertifiedInverse& inverse = *certified.inverse;
  // Upper bounds of u = M^-1 |c| and the enclosures of d = diag(M^-1).
  std::vector<double> u(n, 0.0);
  std::vector<ValueBounds> d(n);
  {
    const UpwardRounding rounding;
    for (unsigned i = 0; i < n; ++i) {
      const std::vector<ValueBounds> row = inverse.rowBounds(i);
      for (unsigned j = 0; j < n; ++j) {
        // M^-1 >= 0: its lower ends are raised to 0 where rounding dipped.
        const double upper = std::max(row[j].upper, 0.0);
        u[i] = u[i] + upper * p->c[j].magnitude();
      }
      d[i] = ValueBounds{std::max(row[i].lower, 0.0), row[i].upper};
    }
  }
  // The box |x| <= u holds every solution: the start of both iterations.
  std::vector<RoundedUp> box(n);
  for (unsigned i = 0; i < n; ++i) box[i] = RoundedUp{u[i], u[i]};
  {
    const UpwardRounding rounding;
    std::vector<RoundedUp> x(n);
    bool sound = true;
    for (unsigned i = 0; i < n && sound; ++i) {
      const double mii = m[std::size_t{i} * n + i];
      if (!(d[i].lower > 0.0)) {
        sound = false;
        break;
      }
      // alpha_i <= M_ii - 1/d_hi and beta_i <= u_i / d_lo - |c_i|.
      const double reciprocalDown = -((-1.0) / d[i].upper);
      const double alpha = std::max(mii - reciprocalDown, 0.0);
      const double beta = std::max(u[i] / d[i].lower - p->c[i].magnitude(), 0.0);
      const RoundedUp numerator = p->c[i] + RoundedUp{beta, beta};
      const RoundedUp denominator =
          p->e[std::size_t{i} * n + i] + RoundedUp{alpha, alpha};
      if (denominator.holdsZero()) {
        sound = false;
        break;
      }
      x[i] = numerator / denominator;
    }
    if (sound) {
      result.hansenBliekRohn = enclosureOf(x);
    } else {
      result.hansenBliekRohn.reason =
          "the certified bounds of <C[A]>^-1 are too wide for its formula";
    }
  }
  result.krawczyk = krawczyk(*p, box, threads, stop);
  result.gaussSeidel = gaussSeidel(*p, box, stop);
  result.stopped = stop.stop_requested();
  return result;
}

}  // namespace linprob
