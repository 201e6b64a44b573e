#!/usr/bin/env python3
"""check_references.py PROGRAM: holds the certified references of
Report/results.json against mpmath at 300 digits.

Generates random dense systems, runs PROGRAM on them (sampling, a few
hundred samples) and checks, for every unknown, that true_solution is
A^-1 b rounded to nearest, that each exact_hull end is the outward rounding
of (A^-1 mid)_i -+ (|A^-1| rad)_i, and that condition_number_enclosure holds
kappa = ||A||inf ||A^-1||inf with condition_number its upper end, kappa
rounded up.

  n = 100: a well and a badly conditioned system (kappa about 1e12),
           inverted by mpmath's own LU at 300 digits;
  n = 300: one well-conditioned (diagonally dominant) system. mpmath's LU would take many
           minutes here, so the inverse is refined instead: X <- X + X0 R
           with the residual R = I - A X computed exactly on Python's
           integers (X0 from numpy in doubles), then every value evaluated
           in mpmath at 300 digits with the error bound
           ||A^-1 - X|| <= ||X|| ||R|| / (1 - ||R||).
A value whose distance to its rounding boundary is not larger than its
error bound is not judged (reported; it does not happen for random data).
Exits 1 with one line per problem."""

import json
import math
import os
import subprocess
import sys
import tempfile

import mpmath
import numpy
from mpmath import mp

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from random_system_folder import random_system, write_folder  # noqa: E402

mp.dps = 300

SETTINGS = """Dimensions {n}
SolverThreadCount 1
GeneratorThreadCount 1
IntegrationPrecision 2
HistogramPrecision 5
MaxMatrix {count}
ExactDistributions 0
SampleCount 200
"""


# ---- the inverse at 300 digits ---------------------------------------------

def lu_inverse(a):
    """mpmath's own inverse; its error is far below anything judged here."""
    inverse = mp.inverse(mp.matrix(a))
    n = len(a)
    return [[inverse[i, j] for j in range(n)] for i in range(n)], mpmath.mpf(0)


def dyadic(values):
    """Python integers and one power of two that give the floats exactly."""
    parts = [float(v).as_integer_ratio() for v in values]
    shift = max(int(d).bit_length() - 1 for _, d in parts)
    return [nu << (shift - (d.bit_length() - 1)) for nu, d in parts], -shift


def refined_inverse(a):
    """X with ||A^-1 - X||inf <= err, from exact residuals."""
    n = len(a)
    flat, a_exp = dyadic([v for row in a for v in row])
    a_int = numpy.array(flat, dtype=object).reshape(n, n)
    x0 = numpy.linalg.inv(numpy.array(a))
    # X = X_int 2^x_exp, X_int exact; each correction gets 50 finer bits.
    x_exp = math.frexp(float(numpy.abs(x0).max()))[1] - 60
    x_int = numpy.array([[int(round(math.ldexp(v, -x_exp))) for v in row] for row in x0], dtype=object)
    for _ in range(8):
        # R = I - A X exactly, scaled by 2^-(a_exp + x_exp).
        scale = -(a_exp + x_exp)
        r_int = -a_int.dot(x_int)
        for i in range(n):
            r_int[i, i] += 1 << scale
        norm = max(sum(abs(int(v)) for v in row) for row in r_int)
        r_norm = mpmath.ldexp(mpmath.mpf(norm), -scale)
        if r_norm < mpmath.mpf(10) ** -40:
            break
        r = numpy.array([[math.ldexp(int(v), -scale) if v else 0.0 for v in row] for row in r_int])
        correction = x0.dot(r)
        # Finer quantum for the new digits.
        x_int = x_int * (1 << 50)
        x_exp -= 50
        x_int = x_int + numpy.array([[int(round(math.ldexp(v, -x_exp))) for v in row]
                                     for row in correction], dtype=object)
    x = [[mpmath.ldexp(mpmath.mpf(int(v)), x_exp) for v in row] for row in x_int]
    x_norm = max(sum(abs(v) for v in row) for row in x)
    if not r_norm < 1:
        raise RuntimeError("refinement did not converge")
    return x, x_norm * r_norm / (1 - r_norm)


# ---- rounding at 300 digits --------------------------------------------------

def round_down(v):
    d = float(v)
    while mpmath.mpf(d) > v:
        d = math.nextafter(d, -math.inf)
    while mpmath.mpf(math.nextafter(d, math.inf)) <= v:
        d = math.nextafter(d, math.inf)
    return d


def round_up(v):
    return -round_down(-v)


def round_nearest(v):
    low = round_down(v)
    high = math.nextafter(low, math.inf) if mpmath.mpf(low) != v else low
    return low if v - mpmath.mpf(low) < mpmath.mpf(high) - v else high


def margin(v, err, boundaries):
    """True when v +- err lies clear of every boundary."""
    return all(abs(v - mpmath.mpf(b)) > err for b in boundaries)


def check_system(label, system, entry, inverse, err, problems):
    a, rhs, box = system
    n = len(a)
    undecided = 0
    truth = entry["true_solution"]
    hull = entry["exact_hull"]
    if truth is None or hull is None or entry["condition_number"] is None:
        problems.append("%s: references missing: %s" % (label, entry.get("true_solution_reason")))
        return
    row_sums = []
    for i in range(n):
        row = inverse[i]
        x = mpmath.fsum(row[j] * rhs[j] for j in range(n))
        # |x - X b| <= err * ||b||inf, and so on for each value.
        bound = err * max(abs(b) for b in rhs)
        expected = round_nearest(x)
        if truth[i] is None:
            problems.append("%s: x%d: true_solution is null" % (label, i))
        elif not margin(x, bound, [(expected + math.nextafter(expected, s)) / 2 for s in (-math.inf, math.inf)]):
            undecided += 1
        elif truth[i] != expected:
            problems.append("%s: x%d: true_solution %r, mpmath %r" % (label, i, truth[i], expected))
        mid = [(mpmath.mpf(lo) + hi) / 2 for lo, hi in box]
        rad = [(mpmath.mpf(hi) - lo) / 2 for lo, hi in box]
        centre = mpmath.fsum(row[j] * mid[j] for j in range(n))
        spread = mpmath.fsum(abs(row[j]) * rad[j] for j in range(n))
        bound = err * (max(abs(m) for m in mid) + max(rad))
        ends = (round_down(centre - spread), round_up(centre + spread))
        if hull[i] is None:
            problems.append("%s: x%d: exact_hull is null" % (label, i))
            continue
        for k, (got, want, value) in enumerate(zip(hull[i], ends, (centre - spread, centre + spread))):
            if not margin(value, bound, [want, math.nextafter(want, math.inf if k == 0 else -math.inf)]):
                undecided += 1
            elif got != want:
                problems.append("%s: x%d: hull end %d %r, mpmath %r" % (label, i, k, got, want))
        row_sums.append(mpmath.fsum(abs(v) for v in row))
    norm_a = max(mpmath.fsum(abs(mpmath.mpf(v)) for v in row) for row in a)
    kappa = norm_a * max(row_sums)
    kappa_err = norm_a * err
    lower, upper = entry["condition_number_enclosure"]
    if not (mpmath.mpf(lower) <= kappa - kappa_err and kappa + kappa_err <= upper):
        problems.append("%s: kappa %s outside the enclosure [%r, %r]" % (label, mpmath.nstr(kappa, 20), lower, upper))
    if entry["condition_number"] != upper:
        problems.append("%s: condition_number %r is not the enclosure's upper end" % (label, entry["condition_number"]))
    elif margin(kappa, kappa_err, [round_up(kappa)]) and upper != round_up(kappa):
        problems.append("%s: condition_number %r, kappa rounded up %r" % (label, upper, round_up(kappa)))
    if undecided:
        print("%s: %d values too close to a rounding boundary to judge" % (label, undecided))
    print("%s: kappa %s, checked" % (label, mpmath.nstr(kappa, 6)))


def run(program, systems, invert, problems):
    with tempfile.TemporaryDirectory() as folder:
        cases = [s for _, s in systems]
        write_folder(folder, cases, SETTINGS.format(n=len(cases[0][0]), count=len(cases)))
        done = subprocess.run([program], cwd=folder,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if done.returncode != 0:
            problems.append("run of n = %d: exit %d: %s" % (len(systems[0][1][0]), done.returncode, done.stderr[-500:]))
            return
        with open(os.path.join(folder, "Report", "results.json")) as f:
            document = json.load(f)
    for (label, system), entry in zip(systems, document["systems"]):
        inverse, err = invert(system[0])
        check_system(label, system, entry, inverse, err, problems)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    problems = []
    run(program, [("n = 100, well conditioned", random_system(100, 1, 1)),
                  ("n = 100, kappa about 1e12", random_system(100, 1e9, 2))], lu_inverse, problems)
    run(program, [("n = 300, well conditioned", random_system(300, 1, 3, dominant=True))], refined_inverse, problems)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
