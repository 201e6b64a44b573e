#include "results/interval_matrix_result.h"

#include <algorithm>
#include <utility>

#include "linear/exact_hull.h"
#include "linear/linear_system.h"
#include "linear/verified_enclosures.h"

namespace linprob {
namespace {

double width(const ValueBounds& bounds) { return bounds.upper - bounds.lower; }

// The reference's bounds: the hull's, else each unknown's narrowest
// verified enclosure; none when neither is there.
std::optional<std::vector<ValueBounds>> referenceOf(
    const std::vector<MethodEnclosure>& methods, unsigned n,
    std::string& name) {
  for (const MethodEnclosure& m : methods) {
    if (m.method == EnclosureMethod::kExactHull && m.enclosure.bounds) {
      name = "exact hull";
      return m.enclosure.bounds;
    }
  }
  std::optional<std::vector<ValueBounds>> narrowest;
  for (const MethodEnclosure& m : methods) {
    if (m.method == EnclosureMethod::kNaive ||
        m.method == EnclosureMethod::kExactHull || !m.enclosure.bounds) {
      continue;
    }
    if (!narrowest) {
      narrowest = m.enclosure.bounds;
      continue;
    }
    for (unsigned i = 0; i < n; ++i) {
      if (width((*m.enclosure.bounds)[i]) < width((*narrowest)[i])) {
        (*narrowest)[i] = (*m.enclosure.bounds)[i];
      }
    }
  }
  if (narrowest) name = "narrowest verified enclosure";
  return narrowest;
}

void measure(MethodEnclosure& m, const std::vector<ValueBounds>* reference,
             unsigned n) {
  m.overestimation.assign(n, std::nullopt);
  m.worst.reset();
  if (reference == nullptr || !m.enclosure.bounds) return;
  for (unsigned i = 0; i < n; ++i) {
    const double own = width((*m.enclosure.bounds)[i]);
    const double least = width((*reference)[i]);
    std::optional<double> ratio;
    if (least > 0.0) {
      ratio = own / least;
    } else if (own == 0.0) {
      ratio = 1.0;
    }
    m.overestimation[i] = ratio;
    if (ratio && (!m.worst || *ratio > *m.worst)) m.worst = ratio;
  }
}

}  // namespace

const char* enclosureMethodName(EnclosureMethod method) {
  switch (method) {
    case EnclosureMethod::kNaive:
      return "naive elimination";
    case EnclosureMethod::kHansenBliekRohn:
      return "Hansen-Bliek-Rohn";
    case EnclosureMethod::kKrawczyk:
      return "Krawczyk";
    case EnclosureMethod::kGaussSeidel:
      return "Gauss-Seidel";
    case EnclosureMethod::kExactHull:
      break;
  }
  return "exact hull";
}

std::optional<IntervalMatrixResult> intervalMatrixResult(
    const IntervalMatrix& a, const std::vector<ValueBounds>& b,
    unsigned threads, const std::stop_token& stop) {
  const unsigned n = a.n;
  VerifiedEnclosures verified = verifiedEnclosures(a, b, threads, stop);
  if (verified.stopped || stop.stop_requested()) return std::nullopt;
  IntervalMatrixResult result;
  result.regular = verified.regular;
  if (!verified.regular) {
    // Small systems are decided exactly by their vertex matrices; the
    // verified enclosures, which need C[A] an H-matrix, stay missing.
    const VertexRegularity exact = vertexRegularity(a, stop);
    if (stop.stop_requested()) return std::nullopt;
    if (exact == VertexRegularity::kSingular) {
      result.regularityReason =
          "[A] contains a singular matrix: two of its matrices A_c - T_y "
          "Delta T_z have determinants of opposite signs, or one is zero";
      return result;
    }
    if (exact == VertexRegularity::kNotDecided) {
      result.regularityReason = std::move(verified.regularityReason);
      return result;
    }
    result.regular = true;
    const std::string why =
        "not computed: " + verified.obstacle +
        " (regularity was proved by the determinants of its vertex matrices)";
    for (Enclosure* e : {&verified.hansenBliekRohn, &verified.krawczyk,
                         &verified.gaussSeidel}) {
      e->bounds.reset();
      e->reason = why;
    }
  }
  const std::vector<double> mid = a.midpoints();
  for (const PivotMode& mode : kPivotModes) {
    LinearSystem system = LinearSystem::fromRows(n, mid);
    system.eliminate(mode, stop);
    if (stop.stop_requested()) return std::nullopt;
    MethodEnclosure naive;
    naive.mode = mode.index;
    naive.enclosure = naiveElimination(a, b, pivotOrderOf(system), threads, stop);
    if (stop.stop_requested()) return std::nullopt;
    result.methods.push_back(std::move(naive));
  }
  const std::pair<EnclosureMethod, Enclosure*> verifiedMethods[] = {
      {EnclosureMethod::kHansenBliekRohn, &verified.hansenBliekRohn},
      {EnclosureMethod::kKrawczyk, &verified.krawczyk},
      {EnclosureMethod::kGaussSeidel, &verified.gaussSeidel}};
  for (const auto& [method, enclosure] : verifiedMethods) {
    MethodEnclosure m;
    m.method = method;
    m.enclosure = std::move(*enclosure);
    result.methods.push_back(std::move(m));
  }
  MethodEnclosure hull;
  hull.method = EnclosureMethod::kExactHull;
  hull.enclosure = exactHull(a, b, threads, stop);
  if (stop.stop_requested()) return std::nullopt;
  result.methods.push_back(std::move(hull));
  const std::optional<std::vector<ValueBounds>> reference =
      referenceOf(result.methods, n, result.reference);
  for (MethodEnclosure& m : result.methods) {
    measure(m, reference ? &*reference : nullptr, n);
  }
  return result;
}

}  // namespace linprob
