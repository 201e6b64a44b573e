// The exact hull of the solution set of [A] x = [b] (the tightest box
// around every solution of every A in [A] and b in [b]) for a regular
// [A], by Rohn's theorem: with A_c, Delta the midpoint and radius of [A]
// and b_c, delta those of [b], for each sign vector y in {-1, 1}^n the
// equation A_c x - T_y Delta |x| = b_c + T_y delta has one solution x_y,
// found by the sign-accord algorithm (start from z = sign(A_c^-1 b_y);
// solve (A_c - T_y Delta T_z) x = b_y; while some z_k x_k < 0, flip the
// first such z_k and solve again), and the hull is [min_y x_y, max_y x_y]
// entry by entry. Every number is an exact rational (FLINT's fmpq, the
// doubles of the input taken exactly); the hull is rounded outward to
// doubles once.
//
// 2^n sign vectors, each a few exact solves: up to kMostHullUnknowns
// unknowns (at 12 a few seconds), beyond that none. The sign vectors are
// shared among up to `threads` threads (the same hull on any number).
// Regularity must be proved beforehand (linear/verified_enclosures.h): a
// singular A_yz met on the way, or a sign accord that takes more than
// 2^n + n steps, gives no hull, with the reason.
#ifndef LINPROB_LINEAR_EXACT_HULL_H_
#define LINPROB_LINEAR_EXACT_HULL_H_

#include <stop_token>
#include <vector>

#include "linear/interval_matrix.h"

namespace linprob {

inline constexpr unsigned kMostHullUnknowns = 12;

Enclosure exactHull(const IntervalMatrix& a, const std::vector<ValueBounds>& b,
                    unsigned threads = 1, const std::stop_token& stop = {});

// Regularity decided exactly, for up to kMostVertexRegularity unknowns: by
// Baumann's criterion [A] is regular exactly when the determinants of its
// matrices A_c - T_y Delta T_z (y, z in {-1, 1}^n; 2^(2n-1) distinct ones)
// are all nonzero and of one sign; two of opposite signs, or a zero one,
// prove a singular matrix in [A] (on the segment between them).
inline constexpr unsigned kMostVertexRegularity = 8;
enum class VertexRegularity { kRegular, kSingular, kNotDecided };
VertexRegularity vertexRegularity(const IntervalMatrix& a,
                                  const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_LINEAR_EXACT_HULL_H_
