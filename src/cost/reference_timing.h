// How long one system's references (results/system_reference.h) take, for
// the estimate of a --check, which keeps none of them (a run computes the
// first system's in its calibration and keeps them instead).
//
// Up to kTimedReferenceUnknowns unknowns, the first system's own
// references are computed as the run would and dropped: a fraction of a
// second. Beyond, those of a made-up regular system of that many unknowns
// (diagonally dominant, its inverse certified in two terms), carried to n
// unknowns as n^3 (the integer products and the approximate inverse) and
// to the terms the system's condition number asks for: each term shrinks
// the residual by about kappa 2^-58.5 (measured: two terms for a regular
// system, five at kappa = 4.4e12 and n = 1000, 2.8 times as long), until it
// is below 2^-80. On this project's 2-core machine, idle: 0.76 s, 5.4 s and
// 54 s of processor time at 500, 1,000 and 2,000 unknowns, against about
// 0.1 s at 250 carried as n^3 (0.8, 6.4 and 51 s).
//
// Without a report, or beyond kMaxCertifiedSize, the references hold the
// inputs alone: their (small) time is measured on the first system.
// Prints and writes nothing; nothing once `stop` is requested.
#ifndef LINPROB_COST_REFERENCE_TIMING_H_
#define LINPROB_COST_REFERENCE_TIMING_H_

#include <optional>
#include <stop_token>

#include "config/run_config.h"
#include "config/settings.h"
#include "results/system_reference.h"

namespace linprob {

inline constexpr unsigned kTimedReferenceUnknowns = 250;

// The terms of the certified inverse of a matrix whose condition number is
// about `condition`: at least 2, at most kMaxInverseTerms.
int expectedInverseTerms(double condition);

// `first`: Matrix0's inputs as the check read them (its cells are added
// here when the references use them); `condition`: the least estimate of
// its condition number over the pivoting modes.
std::optional<double> referenceSecondsPerSystem(const RunConfig& config,
                                                const SystemInputs& first,
                                                double condition,
                                                const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_COST_REFERENCE_TIMING_H_
