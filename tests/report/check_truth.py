#!/usr/bin/env python3
"""check_truth.py PROGRAM: checks the variance shares and the continuous truth
of Report/results.json against an independent computation, on random small
systems written to a temporary folder (fixed seed).

The reference inverts A in exact rational arithmetic (fractions). Shares are
exact fractions. The truth at every border the report walked:
  normal               mpmath at 50 digits (ncdf of the exact mean and sd);
  uniform, triangular  exact rationals: the volume formula of a box (a
                       triangular entry on [p, q] is the sum of two uniform
                       entries on [p/2, q/2]), so the sum over the box's
                       corners, (1/(m! prod w)) sum_S (-1)^|S| (y - lo -
                       sum_{j in S} w_j)_+^m, is exact.
Every value must lie within its stated error bound of the reference, every
bound at most 1e-9, every share within 1e-12. Then the same systems run with
1 and with 3 solver threads must give the same shares and truth. Needs
Debian's python3-mpmath. Exits 1 with one line per problem."""

import itertools
import json
import math
import os
import random
import subprocess
import sys
import tempfile
from fractions import Fraction

import mpmath

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from make_sample_results import exact_inverse as inverse  # noqa: E402  (Fractions, Gauss-Jordan)

mpmath.mp.dps = 50
SYSTEMS = 4
SHARE_LIMIT = 1e-12
TRUTH_LIMIT = 1e-9


def number(x):
    return repr(float(x))


def random_system(rng, n):
    """A diagonally dominant matrix with short decimals, and its inputs."""
    matrix = [[round(rng.uniform(-1, 1), 3) for _ in range(n)] for _ in range(n)]
    for i in range(n):
        matrix[i][i] = round(rng.choice([-1, 1]) * (n + rng.uniform(0.5, 2)), 3)
    rhs = [round(rng.uniform(-5, 5), 2) for _ in range(n)]
    normal = [(round(rng.uniform(-3, 3), 2), round(rng.uniform(0.05, 2), 3)) for _ in range(n)]
    bounds = []
    for _ in range(n):
        lower = round(rng.uniform(-4, 2), 2)
        bounds.append((lower, round(lower + rng.uniform(0.1, 3), 2)))
    return matrix, rhs, normal, bounds


def write_folder(folder, systems, n, threads, enumerate_cells=True):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "Settings.txt"), "w") as f:
        f.write("Dimensions %d\nSolverThreadCount %d\nGeneratorThreadCount 2\n"
                "IntegrationPrecision 5\nHistogramPrecision 8\nMaxMatrix %d\n"
                "ExactDistributions %d\nSampleCount 200\n"
                % (n, threads, len(systems), int(enumerate_cells)))
    for index, (matrix, rhs, normal, bounds) in enumerate(systems):
        sub = os.path.join(folder, "Matrix%d" % index)
        os.makedirs(sub, exist_ok=True)
        files = {
            "Matice.txt": "\n".join(" ".join(number(v) for v in row) for row in matrix),
            "RealRHS.txt": " ".join(number(v) for v in rhs),
            "IntRHS.txt": "\n".join("%s %s" % (number(v - 0.5), number(v + 0.5)) for v in rhs),
            "NormalRHS.txt": "\n".join("%s %s" % (number(m), number(v)) for m, v in normal),
            "UniformRHS.txt": "\n".join("%s %s" % (number(p), number(q)) for p, q in bounds),
        }
        for name, text in files.items():
            with open(os.path.join(sub, name), "w") as f:
                f.write(text + "\n")


def run(program, folder):
    done = subprocess.run([program, "-q", folder], stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        raise SystemExit("the program ended with status %d: %s" % (done.returncode, done.stderr))
    with open(os.path.join(folder, "Report", "results.json")) as f:
        return json.load(f)


def family_variances(family, normal, bounds):
    if family == "Normal":
        return [Fraction(v) for _, v in normal]
    divisor = 24 if family == "Triangular" else 12
    return [(Fraction(q) - Fraction(p)) ** 2 / divisor for p, q in bounds]


def box_cdf(lows, widths, x):
    """P(sum of independent uniforms on [lo_j, lo_j + w_j] <= x), exactly."""
    m = len(widths)
    y = x - sum(lows)
    total = Fraction(0)
    for chosen in itertools.product((0, 1), repeat=m):
        z = y - sum(w for w, c in zip(widths, chosen) if c)
        if z > 0:
            term = z ** m
            total += -term if sum(chosen) % 2 else term
    return total / (math.factorial(m) * math.prod(widths))


def reference_cdf(family, row, normal, bounds):
    """The exact law of x_i = sum_j row[j] b_j, as a function of a Fraction."""
    if family == "Normal":
        mean = sum(a * Fraction(m) for a, (m, _) in zip(row, normal))
        variance = sum(a * a * Fraction(v) for a, (_, v) in zip(row, normal))
        if variance == 0:
            return lambda x: Fraction(int(x >= mean))
        sd = mpmath.sqrt(mpmath.mpf(variance.numerator) / variance.denominator)
        mu = mpmath.mpf(mean.numerator) / mean.denominator
        return lambda x: mpmath.ncdf((mpmath.mpf(x.numerator) / x.denominator - mu) / sd)
    lows, widths = [], []
    copies = 2 if family == "Triangular" else 1
    constant = Fraction(0)
    for a, (p, q) in zip(row, bounds):
        ends = sorted((a * Fraction(p), a * Fraction(q)))
        if ends[0] == ends[1]:
            constant += ends[0]
            continue
        for _ in range(copies):
            lows.append(ends[0] / copies)
            widths.append((ends[1] - ends[0]) / copies)
    if not widths:
        return lambda x: Fraction(int(x >= constant))
    lows[0] += constant
    return lambda x: box_cdf(lows, widths, x)


def as_float(x):
    return float(x) if isinstance(x, Fraction) else float(mpmath.nstr(x, 30))


def check_shares(label, system, ainv, normal, bounds, problems):
    for block in system["sensitivity"]:
        variances = family_variances(block["family"], normal, bounds)
        for entry in block["unknowns"]:
            i = entry["unknown"]
            terms = [ainv[i][j] ** 2 * variances[j] for j in range(len(variances))]
            total = sum(terms)
            for j, term in enumerate(terms):
                share = entry["shares"][j]
                if abs(share - float(term / total)) > SHARE_LIMIT:
                    problems.append("%s %s x%d share %d: %r, not %r" % (
                        label, block["family"], i, j, share, float(term / total)))
                sd = float(mpmath.sqrt(mpmath.mpf(term.numerator) / term.denominator))
                if abs(entry["contribution_sd"][j] - sd) > 1e-15 * max(sd, 1e-300):
                    problems.append("%s x%d contribution_sd %d" % (label, i, j))
            cells = entry["cells_shares"]
            if cells is None and system.get("sampling"):
                continue
            if cells is None or abs(sum(cells) - 1) > 1e-12:
                problems.append("%s x%d cells_shares %r" % (label, i, cells))


def check_truth(label, system, ainv, normal, bounds, problems, select=None):
    checked = 0
    for mode in system["modes"]:
        for family in mode["families"]:
            name = family["family"]
            for entry in family["unknowns"]:
                if select and not select(mode["mode"], name, entry):
                    continue
                truth = entry["truth"]
                where = "%s %s %s x%d" % (label, mode["mode"], name, entry["unknown"])
                if truth is None:
                    problems.append(where + ": no truth (%s)" % entry["truth_reason"])
                    continue
                cdf = reference_cdf(name, ainv[entry["unknown"]], normal, bounds)
                walked = len(truth["bands"])
                at = [cdf(Fraction(b)) for b in entry["borders"][:walked + 1]]
                expected = [at[0]] + [at[k + 1] - at[k] for k in range(walked)] + [1 - at[walked]]
                values = [truth["lower_tail"]] + truth["bands"] + [truth["upper_tail"]]
                errors = truth["error_bounds"]
                bounds_given = [errors["lower_tail"]] + errors["bands"] + [errors["upper_tail"]]
                for k, (value, exact, bound) in enumerate(zip(values, expected, bounds_given)):
                    gap = abs(value - as_float(exact))
                    if bound > TRUTH_LIMIT or gap > bound + 1e-17:
                        problems.append("%s value %d: %r, reference %r, bound %r" % (
                            where, k, value, as_float(exact), bound))
                checked += len(values)
    return checked


def main():
    program = os.path.abspath(sys.argv[1])
    rng = random.Random(20240611)
    problems = []
    checked = 0
    with tempfile.TemporaryDirectory() as work:
        for n in (1, 2, 3, 4):
            systems = [random_system(rng, n) for _ in range(SYSTEMS if n > 1 else 2)]
            documents = []
            for threads in (1, 3):
                folder = os.path.join(work, "n%d_j%d" % (n, threads))
                write_folder(folder, systems, n, threads)
                documents.append(run(program, folder))
            for index, (matrix, _, normal, bounds) in enumerate(systems):
                label = "n=%d system %d" % (n, index)
                system = documents[0]["systems"][index]
                ainv = inverse(matrix)
                check_shares(label, system, ainv, normal, bounds, problems)
                checked += check_truth(label, system, ainv, normal, bounds, problems)
                other = documents[1]["systems"][index]
                if other["sensitivity"] != system["sensitivity"]:
                    problems.append(label + ": shares differ with 3 threads")
                for m1, m3 in zip(system["modes"], other["modes"]):
                    for f1, f3 in zip(m1["families"], m3["families"]):
                        if [u["truth"] for u in f1["unknowns"]] != [u["truth"] for u in f3["unknowns"]]:
                            problems.append("%s %s: truth differs with 3 threads" % (label, m1["mode"]))
        # Thirteen unknowns, sampled: 2^13 and 3^13 pieces, beyond the
        # alternating sum's budget, so the characteristic function gives the
        # truth. The box formula checks the uniform family's unknown 0.
        n = 13
        systems = [random_system(rng, n)]
        folder = os.path.join(work, "n13")
        write_folder(folder, systems, n, 2, enumerate_cells=False)
        system = run(program, folder)["systems"][0]
        system["sampling"] = True
        matrix, _, normal, bounds = systems[0]
        ainv = inverse(matrix)
        check_shares("n=13", system, ainv, normal, bounds, problems)
        methods = set()
        for family in system["modes"][0]["families"]:
            for entry in family["unknowns"]:
                if family["family"] == "Normal":
                    continue
                truth = entry["truth"]
                if truth is None or truth["max_error"] > TRUTH_LIMIT:
                    problems.append("n=13 %s x%d: %s" % (family["family"], entry["unknown"],
                                                         entry["truth_reason"]))
                else:
                    methods.add(truth["method"])
        if methods != {"characteristic function in doubles"}:
            problems.append("n=13: methods %s" % sorted(methods))
        checked += check_truth("n=13", system, ainv, normal, bounds, problems,
                               lambda mode, name, entry: mode == "NoPivot" and
                               name == "Uniform" and entry["unknown"] == 0)
    for problem in problems[:40]:
        print(problem)
    print("%d truth values checked, %d problems" % (checked, len(problems)))
    return 1 if problems or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
