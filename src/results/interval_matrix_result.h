// The results of a system's interval matrix [A] ("IntMatice.txt") with its
// interval right-hand side [b] ("IntRHS.txt"): whether [A] is proved
// regular, the naive interval elimination under each pivoting mode (its
// pivots those the described elimination of [A]'s midpoint matrix
// chooses), the verified enclosures (linear/verified_enclosures.h), the
// exact hull (linear/exact_hull.h), and how far each enclosure
// overestimates: per unknown its width over the reference's (the exact
// hull where it exists, else the narrowest verified enclosure of that
// unknown), null where the enclosure is missing or the reference has no
// width while it has. Regularity is proved with the verified enclosures
// (C[A] an H-matrix) or, failing that, decided exactly by the vertex
// matrices up to kMostVertexRegularity unknowns (linear/exact_hull.h), the
// verified enclosures then missing with the reason; without it nothing but
// the reason is given ("[A] may contain a singular matrix: ...", or
// "[A] contains a singular matrix: ..." where the vertices prove one).
#ifndef LINPROB_RESULTS_INTERVAL_MATRIX_RESULT_H_
#define LINPROB_RESULTS_INTERVAL_MATRIX_RESULT_H_

#include <array>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "linear/interval_matrix.h"
#include "linear/pivot_mode.h"

namespace linprob {

enum class EnclosureMethod {
  kNaive,            // one per pivoting mode
  kHansenBliekRohn,
  kKrawczyk,
  kGaussSeidel,
  kExactHull,
};

// "naive elimination", "Hansen-Bliek-Rohn", "Krawczyk", "Gauss-Seidel",
// "exact hull".
const char* enclosureMethodName(EnclosureMethod method);

struct MethodEnclosure {
  EnclosureMethod method = EnclosureMethod::kNaive;
  std::optional<int> mode;  // the pivoting mode of a naive elimination
  Enclosure enclosure;
  // Width over the reference's, by unknown.
  std::vector<std::optional<double>> overestimation;
  // The largest of them, none when none is known.
  std::optional<double> worst;
};

struct IntervalMatrixResult {
  bool regular = false;
  std::string regularityReason;  // when not regular
  // The four naive eliminations, the verified enclosures, the hull.
  std::vector<MethodEnclosure> methods;
  // "exact hull" or "narrowest verified enclosure"; empty without one.
  std::string reference;
};

// Nothing once `stop` is requested. threads: for the rows of the
// eliminations and the hull's sign vectors (the same result on any number).
std::optional<IntervalMatrixResult> intervalMatrixResult(
    const IntervalMatrix& a, const std::vector<ValueBounds>& b,
    unsigned threads, const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_RESULTS_INTERVAL_MATRIX_RESULT_H_
