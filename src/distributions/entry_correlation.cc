#include "distributions/entry_correlation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <sstream>
#include <utility>

#include "distributions/entry_parameters.h"
#include "distributions/entry_quantiles.h"

namespace linprob {
namespace {

std::string entryName(unsigned i, unsigned j) {
  return "entry (" + std::to_string(i) + ", " + std::to_string(j) + ")";
}

std::string number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// How far below 0 a pivot of R (unit diagonal) may round.
double pivotTolerance(unsigned n) {
  return static_cast<double>(std::max(n, 1u)) *
         std::numeric_limits<double>::epsilon();
}

// The first leading minor of R that is negative, by elimination without
// pivoting in long double: its order and value; nothing when elimination
// meets a minor of about 0 first, or none is negative.
std::optional<std::pair<unsigned, long double>> negativeLeadingMinor(
    const std::vector<double>& r, unsigned n) {
  std::vector<long double> a(r.begin(), r.end());
  const long double tolerance = pivotTolerance(n);
  long double minor = 1.0L;
  for (unsigned k = 0; k < n; ++k) {
    const long double pivot = a[std::size_t{k} * n + k];
    minor *= pivot;
    if (pivot < -tolerance) return std::make_pair(k + 1, minor);
    if (pivot <= tolerance) return std::nullopt;
    for (unsigned i = k + 1; i < n; ++i) {
      const long double factor = a[std::size_t{i} * n + k] / pivot;
      for (unsigned j = k + 1; j < n; ++j) {
        a[std::size_t{i} * n + j] -= factor * a[std::size_t{k} * n + j];
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> checkCorrelation(const std::vector<double>& r,
                                          unsigned n) {
  std::vector<std::string> problems;
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      const double value = r[std::size_t{i} * n + j];
      if (!std::isfinite(value)) {
        problems.push_back(entryName(i, j) + " is not finite (" +
                           number(value) + ")");
      } else if (i == j && value != 1.0) {
        problems.push_back(entryName(i, j) + " is " + number(value) +
                           ": the diagonal must be 1");
      } else if (value < -1.0 || value > 1.0) {
        problems.push_back(entryName(i, j) + " is " + number(value) +
                           ": outside [-1, 1]");
      } else if (j > i) {
        const double mirror = r[std::size_t{j} * n + i];
        if (mirror != value && std::isfinite(mirror)) {
          problems.push_back(entryName(i, j) + " is " + number(value) +
                             " but " + entryName(j, i) + " is " +
                             number(mirror) + ": R must be symmetric");
        }
      }
    }
  }
  if (!problems.empty() || CorrelationFactor::of(r, n)) return problems;
  if (const auto minor = negativeLeadingMinor(r, n)) {
    problems.push_back(
        "not positive semidefinite: its leading minor of order " +
        std::to_string(minor->first) + " is negative (" +
        number(static_cast<double>(minor->second)) + ")");
  } else {
    problems.push_back(
        "not positive semidefinite: a pivot of its Cholesky factorisation "
        "is negative");
  }
  return problems;
}

std::optional<CorrelationFactor> CorrelationFactor::of(
    const std::vector<double>& r, unsigned n) {
  CorrelationFactor factor;
  factor.n = n;
  factor.order.resize(n);
  for (unsigned i = 0; i < n; ++i) factor.order[i] = i;
  factor.lower.assign(std::size_t{n} * n, 0.0);
  // The Schur complement left after each pivot, in pivot order.
  std::vector<double> a(r);
  const auto at = [&](unsigned i, unsigned j) -> double& {
    return a[std::size_t{i} * n + j];
  };
  const double tolerance = pivotTolerance(n);
  for (unsigned k = 0; k < n; ++k) {
    unsigned best = k;
    for (unsigned i = k + 1; i < n; ++i) {
      if (at(i, i) > at(best, best)) best = i;
    }
    if (best != k) {
      // Rows and columns k and best swapped, and the factor's rows so far.
      for (unsigned j = 0; j < n; ++j) std::swap(at(k, j), at(best, j));
      for (unsigned i = 0; i < n; ++i) std::swap(at(i, k), at(i, best));
      std::swap(factor.order[k], factor.order[best]);
      for (unsigned j = 0; j < k; ++j) {
        std::swap(factor.lower[std::size_t{k} * n + j],
                  factor.lower[std::size_t{best} * n + j]);
      }
    }
    const double pivot = at(k, k);
    if (pivot <= tolerance) {
      // What is left must be about 0: a negative pivot, or a coupling
      // between entries with nothing left of their variance, is not a
      // correlation.
      for (unsigned i = k; i < n; ++i) {
        for (unsigned j = k; j < n; ++j) {
          if (std::fabs(at(i, j)) > tolerance) return std::nullopt;
        }
      }
      break;
    }
    factor.rank = k + 1;
    const double root = std::sqrt(pivot);
    factor.lower[std::size_t{k} * n + k] = root;
    for (unsigned i = k + 1; i < n; ++i) {
      factor.lower[std::size_t{i} * n + k] = at(i, k) / root;
    }
    for (unsigned i = k + 1; i < n; ++i) {
      const double li = factor.lower[std::size_t{i} * n + k];
      for (unsigned j = k + 1; j < n; ++j) {
        const double product = li * factor.lower[std::size_t{j} * n + k];
        at(i, j) = at(i, j) - product;
      }
    }
  }
  return factor;
}

void EntryCopula::correlate(JobBlock& block, std::size_t count) const {
  for (unsigned e = 0; e < factor_->n; ++e) {
    double* const values = block.entry(e);
    for (std::size_t s = 0; s < count; ++s) {
      values[s] = standardNormalQuantile(values[s]);
    }
  }
  correlateNormals(block, count);
}

FamilyBox EntryCopula::normalsBox(double deviation) const {
  const CorrelationFactor& factor = *factor_;
  const unsigned n = factor.n;
  FamilyBox box;
  box.lower.resize(n);
  box.upper.resize(n);
  for (unsigned i = 0; i < n; ++i) {
    double reach = 0.0;
    for (unsigned k = 0; k <= i && k < factor.rank; ++k) {
      reach += std::abs(factor.lower[std::size_t{i} * n + k]) * deviation;
    }
    // A little over, for the rounding of the sums the jobs take.
    reach = std::min(reach * (1.0 + 0x1p-40), kSamplingDeviations);
    double ends[2] = {-reach, reach};
    const unsigned e = factor.order[i];
    laws_.mapNormals(e, ends, 2);
    box.lower[e] = ends[0];
    box.upper[e] = ends[1];
    if (!std::isfinite(ends[0]) || !std::isfinite(ends[1])) {
      if (!box.faultyEntry || e < *box.faultyEntry) box.faultyEntry = e;
    }
  }
  return box;
}

void EntryCopula::correlateNormals(JobBlock& block, std::size_t count) const {
  const CorrelationFactor& factor = *factor_;
  const unsigned n = factor.n;
  // z[order[i]] = sum over k <= i of L[i][k] eps_k, eps_k held in entry
  // order[k]: from the last pivot down, each entry written only once every
  // row that reads it is done.
  std::array<double, kBlockJobs> sum;
  for (unsigned i = n; i-- > 0;) {
    std::fill(sum.begin(), sum.begin() + static_cast<std::ptrdiff_t>(count),
              0.0);
    const double* const row = factor.lower.data() + std::size_t{i} * n;
    // Columns from the rank on are zero.
    for (unsigned k = 0; k <= i && k < factor.rank; ++k) {
      const double l = row[k];
      if (l == 0.0) continue;
      const double* const eps = block.entry(factor.order[k]);
      for (std::size_t s = 0; s < count; ++s) {
        // One rounding for the product, one for the sum.
        const double product = l * eps[s];
        sum[s] = sum[s] + product;
      }
    }
    double* const target = block.entry(factor.order[i]);
    for (std::size_t s = 0; s < count; ++s) {
      target[s] = std::clamp(sum[s], -kSamplingDeviations, kSamplingDeviations);
    }
  }
  for (unsigned e = 0; e < n; ++e) laws_.mapNormals(e, block.entry(e), count);
}

}  // namespace linprob
