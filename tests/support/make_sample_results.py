#!/usr/bin/env python3
"""Writes the sample results documents (Report/results.json shape) that the
report tests render, with numbers computed the way a run computes them, only
smaller: Monte Carlo samples stand in for the enumerated cells.

    python3 tests/support/make_sample_results.py [output folder]

writes, into tests/support/ by default:
  results_small.json    one system, n = 2, sampling under --digits 2, with
                        the convergence over 16 batches
  results_default.json  the bundled example (examples/Matrix0-4), n = 4,
                        enumeration settings, 11 bands
  results_edge.json     n = 13 (matrix truncated, one unknown's charts at a
                        time), phases without jobs, a system without
                        references and one with an unknown left open (both
                        with their reasons, the latter's entries
                        correlated), and markup in every free text field

Standard library only; the output is the same on every run (fixed seeds)."""

import json
import math
import os
import random
import sys
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
MODES = [("NoPivot", False, False, "FF"), ("RowPivot", True, False, "TF"),
         ("ColPivot", False, True, "FT"), ("RowColPivot", True, True, "TT")]
FAMILIES = ["Triangular", "Normal", "Uniform"]
HOSTILE = "</script><img src=x onerror=alert(1)>"


def read_numbers(path):
    with open(path) as f:
        return [float(t) for t in f.read().split()]


# ---- exact arithmetic ---------------------------------------------------

def exact_inverse(a):
    n = len(a)
    m = [[Fraction(v) for v in row] + [Fraction(int(i == j)) for j in range(n)]
         for i, row in enumerate(a)]
    for k in range(n):
        p = next(i for i in range(k, n) if m[i][k] != 0)
        m[k], m[p] = m[p], m[k]
        pivot = m[k][k]
        m[k] = [v / pivot for v in m[k]]
        for i in range(n):
            if i != k and m[i][k] != 0:
                f = m[i][k]
                m[i] = [x - f * y for x, y in zip(m[i], m[k])]
    return [row[n:] for row in m]


# ---- elimination in floating point, recorded as steps --------------------

def eliminate(a, row_pivot, col_pivot):
    """Gauss-Jordan elimination; returns the steps to replay on a right-hand
    side, the column order and the pivot growth."""
    n = len(a)
    m = [row[:] for row in a]
    order = list(range(n))
    steps = []
    start = max(abs(v) for row in m for v in row)
    grown = start
    for k in range(n):
        best_i, best_j = k, k
        if row_pivot and col_pivot:
            best_i, best_j = max(((i, j) for i in range(k, n) for j in range(k, n)),
                                 key=lambda ij: abs(m[ij[0]][ij[1]]))
        elif row_pivot:
            best_i = max(range(k, n), key=lambda i: abs(m[i][k]))
        elif col_pivot:
            best_j = max(range(k, n), key=lambda j: abs(m[k][j]))
        if best_i != k:
            m[k], m[best_i] = m[best_i], m[k]
            steps.append(("swap", k, best_i))
        if best_j != k:
            for row in m:
                row[k], row[best_j] = row[best_j], row[k]
            order[k], order[best_j] = order[best_j], order[k]
        for i in range(n):
            if i == k or m[i][k] == 0:
                continue
            factor = m[i][k] / m[k][k]
            for j in range(k, n):
                m[i][j] -= factor * m[k][j]
            steps.append(("sub", i, k, factor))
        grown = max(grown, max(abs(v) for row in m for v in row))
    for k in range(n):
        steps.append(("div", k, m[k][k]))
    return steps, order, grown / start


def replay(steps, order, b):
    r = list(b)
    for s in steps:
        if s[0] == "swap":
            r[s[1]], r[s[2]] = r[s[2]], r[s[1]]
        elif s[0] == "sub":
            r[s[1]] -= s[3] * r[s[2]]
        else:
            r[s[1]] /= s[2]
    x = [0.0] * len(r)
    for k, col in enumerate(order):
        x[col] = r[k]
    return x


def replay_interval(steps, order, box):
    r = [list(p) for p in box]
    for s in steps:
        if s[0] == "swap":
            r[s[1]], r[s[2]] = r[s[2]], r[s[1]]
        elif s[0] == "sub":
            lo, hi = sorted((s[3] * r[s[2]][0], s[3] * r[s[2]][1]))
            r[s[1]] = [r[s[1]][0] - hi, r[s[1]][1] - lo]
        else:
            r[s[1]] = sorted((r[s[1]][0] / s[2], r[s[1]][1] / s[2]))
    x = [None] * len(r)
    for k, col in enumerate(order):
        x[col] = r[k]
    return x


# ---- statistics -----------------------------------------------------------

def phi(z):
    return 0.5 * (1.0 + math.erf(z / math.sqrt(2.0)))


def borders_of(lo, hi, bands):
    step = (hi - lo) / bands
    out = [lo]
    for _ in range(bands):
        out.append(out[-1] + step)
    out[-1] = max(out[-1], hi)
    return out


def band_masses(values, borders):
    k = len(borders) - 1
    counts = [0] * k
    for v in values:
        i = 0
        while i < k - 1 and v > borders[i + 1]:
            i += 1
        counts[i] += 1
    return [c / len(values) for c in counts]


def normal_table(mean, sd, borders):
    cdf = [phi((b - mean) / sd) if sd > 0 else float(b >= mean) for b in borders]
    return {"mean": mean, "sd": sd, "lower_tail": cdf[0],
            "bands": [cdf[i + 1] - cdf[i] for i in range(len(borders) - 1)],
            "upper_tail": 1.0 - cdf[-1]}


def sample_table(values, mean, sd, borders):
    """Band masses of a large reference sample (the exact linear map)."""
    n = len(values)
    inside = [v for v in values if borders[0] < v <= borders[-1]]
    bands = band_masses(inside, borders) if inside else [0.0] * (len(borders) - 1)
    share = len(inside) / n
    return {"mean": mean, "sd": sd,
            "lower_tail": sum(v <= borders[0] for v in values) / n,
            "bands": [b * share for b in bands],
            "upper_tail": sum(v > borders[-1] for v in values) / n}


def quantile(sorted_values, p):
    i = min(len(sorted_values) - 1, max(0, int(math.floor(p * len(sorted_values)))))
    return sorted_values[i]


def coverage(values):
    s = sorted(values)
    n = len(s)
    m = max(1, math.ceil(0.95 * n) - 1)
    best = min(range(n - m), key=lambda i: s[i + m] - s[i])
    return {"symmetric": [quantile(s, 0.025), quantile(s, 0.975)],
            "shortest": [s[best], s[best + m]], "resolution": 1.0 / n}


def convergence(values, batches):
    """The running estimates after the first k of `batches` equal batches
    of the samples: the mean and the symmetric interval's ends of the
    samples so far, each with the standard error of the spread of those
    batches (none for k = 1); the last point is the whole sample's."""
    n = len(values)
    cuts = [r * n // batches for r in range(batches + 1)]
    own = []
    for r in range(batches):
        part = values[cuts[r]:cuts[r + 1]]
        cover = coverage(part)["symmetric"]
        own.append([sum(part) / len(part), cover[0], cover[1]])
    result = {"samples": [], "mean": [], "mean_se": [], "symmetric_lower": [],
              "symmetric_lower_se": [], "symmetric_upper": [], "symmetric_upper_se": []}
    for k in range(1, batches + 1):
        part = values[:cuts[k]]
        cover = coverage(part)["symmetric"]
        result["samples"].append(cuts[k])
        for q, (key, value) in enumerate([("mean", sum(part) / len(part)),
                                          ("symmetric_lower", cover[0]),
                                          ("symmetric_upper", cover[1])]):
            ys = [own[r][q] for r in range(k)]
            centre = sum(ys) / k
            error = math.sqrt(sum((y - centre) ** 2 for y in ys) / (k * (k - 1))) if k > 1 else None
            result[key].append(value)
            result[key + "_se"].append(error)
    return result


def discrepancy(valid, table):
    tv = 0.5 * (sum(abs(v - q) for v, q in zip(valid, table["bands"]))
                + table["lower_tail"] + table["upper_tail"])
    fv, fq, worst = 0.0, table["lower_tail"], table["lower_tail"]
    for v, q in zip(valid, table["bands"]):
        fv += v
        fq += q
        worst = max(worst, abs(fv - fq))
    return {"total_variation": tv, "max_cdf": worst}


def truth_discrepancy(truth, tails_lower, bands, tails_upper):
    tv = 0.5 * (abs(truth["lower_tail"] - tails_lower) + abs(truth["upper_tail"] - tails_upper)
                + sum(abs(t - b) for t, b in zip(truth["bands"], bands)))
    ft, fb = truth["lower_tail"], tails_lower
    worst = abs(ft - fb)
    for t, b in zip(truth["bands"], bands):
        ft += t
        fb += b
        worst = max(worst, abs(ft - fb))
    return {"total_variation": tv, "max_cdf": worst}


def box_cdf(lows, widths, x):
    """P(sum of uniforms on [lo_j, lo_j + w_j] <= x), the corner sum in floats."""
    m = len(widths)
    y = x - sum(lows)
    total = 0.0
    for mask in range(1 << m):
        z = y - sum(w for j, w in enumerate(widths) if mask >> j & 1)
        if z > 0:
            total += (-1) ** bin(mask).count("1") * z ** m
    return min(1.0, max(0.0, total / (math.factorial(m) * math.prod(widths))))


def truth_table(family, row, uniform, normal, borders):
    """The exact distribution of sum_j row[j] b_j over the borders."""
    if family == "Normal":
        mean = sum(a * m for a, (m, _) in zip(row, normal))
        sd = math.sqrt(sum(a * a * v for a, (_, v) in zip(row, normal)))
        cdf = [phi((b - mean) / sd) for b in borders]
        method = "normal"
    else:
        copies = 2 if family == "Triangular" else 1
        lows, widths = [], []
        for a, (lo, hi) in zip(row, uniform):
            ends = sorted((a * lo, a * hi))
            for _ in range(copies):
                lows.append(ends[0] / copies)
                widths.append((ends[1] - ends[0]) / copies)
        cdf = [box_cdf(lows, widths, b) for b in borders]
        method = "piecewise polynomial"
    bands = [cdf[i + 1] - cdf[i] for i in range(len(borders) - 1)]
    return {"method": method, "lower_tail": cdf[0], "bands": bands, "upper_tail": 1.0 - cdf[-1],
            "error_bounds": {"lower_tail": 1e-17, "bands": [2e-17] * len(bands), "upper_tail": 1e-17},
            "max_error": 2e-17}


def sensitivity(inv, uniform, normal, cells):
    blocks = []
    for family in FAMILIES:
        if family == "Normal":
            variances = [Fraction(v) for _, v in normal]
        else:
            divisor = 24 if family == "Triangular" else 12
            variances = [(Fraction(hi) - Fraction(lo)) ** 2 / divisor for lo, hi in uniform]
        unknowns = []
        for i, row in enumerate(inv):
            terms = [a * a * v for a, v in zip(row, variances)]
            total = sum(terms)
            shares = [float(t / total) for t in terms]
            unknowns.append({"unknown": i, "shares": shares,
                             "contribution_sd": [math.sqrt(t) for t in terms],
                             "cells_shares": shares if cells else None, "reason": None})
        blocks.append({"family": family, "unknowns": unknowns})
    return blocks


def gum(sym, low, high, sd):
    if not sd > 0:
        return {"delta": None, "d_low": None, "d_high": None, "validated": None}
    # Tolerance of one significant digit of the standard uncertainty.
    delta = 0.5 * 10.0 ** math.floor(math.log10(sd))
    d_low, d_high = abs(low - sym[0]), abs(high - sym[1])
    return {"delta": delta, "d_low": d_low, "d_high": d_high,
            "validated": d_low <= delta and d_high <= delta}


def draw(family, rng, uniform, normal):
    if family == "Triangular":
        return [rng.triangular(lo, hi, (lo + hi) / 2) for lo, hi in uniform]
    if family == "Normal":
        return [rng.gauss(m, math.sqrt(v)) for m, v in normal]
    return [rng.uniform(lo, hi) for lo, hi in uniform]


def family_moments(family, uniform, normal):
    if family == "Normal":
        return [m for m, _ in normal], [v for _, v in normal]
    divisor = 24.0 if family == "Triangular" else 12.0
    return ([(lo + hi) / 2 for lo, hi in uniform],
            [(hi - lo) ** 2 / divisor for lo, hi in uniform])


# ---- one system -------------------------------------------------------------

def rounded_up(q):
    """The smallest double at or above the fraction q."""
    nearest = float(q)
    return nearest if Fraction(nearest) >= q else math.nextafter(nearest, math.inf)


def rounded_down(q):
    return -rounded_up(-q)


NOT_CERTIFIED = "not computed: the matrix is singular or too ill-conditioned for the certified inverse"


def condition_verdict(kappa, source):
    """The program's verdict on a condition number (results/condition_verdict.h)."""
    digits = max(0, math.floor(53 * math.log10(2) - math.log10(kappa)))
    if kappa <= 1e3:
        level, text = "well conditioned", "well conditioned"
    else:
        level = "moderately conditioned" if kappa <= 1e9 else "ill conditioned"
        text = ("results may have fewer than %d correct significant digits" % digits if digits > 0
                else "results may have no correct significant digits")
    return {"condition_number": kappa, "source": source, "level": level,
            "correct_digits": digits, "text": text}


def build_system(index, a, rhs, interval_rhs, uniform, normal, samples, bands,
                 rng, exact=True, folder=None, solved=None, undecided=None,
                 batches=None):
    """`undecided`: an unknown whose true value and hull the certification
    left open (null, with the reasons a run gives). `batches`: the sampling
    phases' convergence over that many batches."""
    n = len(a)
    system = {"index": index, "folder": folder or "Matrix%d/" % index,
              "matrix": a, "rhs": rhs, "interval_rhs": interval_rhs}
    inv_float = None
    if exact:
        inv = exact_inverse(a)
        truth_exact = [sum(inv[i][j] * Fraction(rhs[j]) for j in range(n)) for i in range(n)]
        hull = []
        for i in range(n):
            lo = sum(min(inv[i][j] * Fraction(l), inv[i][j] * Fraction(h))
                     for j, (l, h) in enumerate(interval_rhs))
            hi = sum(max(inv[i][j] * Fraction(l), inv[i][j] * Fraction(h))
                     for j, (l, h) in enumerate(interval_rhs))
            hull.append([float(lo), float(hi)])
        norm_a = max(sum(abs(Fraction(v)) for v in row) for row in a)
        norm_inv = max(sum(abs(v) for v in row) for row in inv)
        kappa = norm_a * norm_inv
        truth = [float(v) for v in truth_exact]
        open_reason = None
        if undecided is not None:
            truth[undecided] = None
            hull[undecided] = None
            open_reason = "1 of %d values could not be decided within the precision budget" % n
        system["true_solution"] = truth
        system["true_solution_reason"] = open_reason
        system["exact_hull"] = hull
        system["exact_hull_reason"] = open_reason and open_reason.replace("values", "hulls")
        system["condition_number"] = rounded_up(kappa)
        system["condition_number_enclosure"] = [rounded_down(kappa), rounded_up(kappa)]
        system["condition_number_reason"] = None
        system["condition_verdict"] = condition_verdict(system["condition_number"], "certified")
        system["exact_moments_reason"] = None
        inv_float = [[float(v) for v in row] for row in inv]
        system["sensitivity"] = sensitivity(inv, uniform, normal, samples is None or samples > 5000)
        system["sensitivity_reason"] = None
    else:
        for key in ("true_solution", "true_solution_reason", "exact_hull", "exact_hull_reason",
                    "condition_number", "condition_number_enclosure", "condition_number_reason",
                    "exact_moments_reason"):
            system[key] = NOT_CERTIFIED if key.endswith("_reason") else None
            if key == "condition_number_reason":
                # The start-of-run check's estimate stands in.
                inv = exact_inverse(a)
                estimate = float(max(sum(abs(Fraction(v)) for v in row) for row in a) *
                                 max(sum(abs(v) for v in row) for row in inv))
                system["condition_verdict"] = condition_verdict(estimate, "estimate")
        system["sensitivity"] = None
        system["sensitivity_reason"] = "the matrix is singular or too ill-conditioned for the certified inverse " + HOSTILE

    # Right-hand sides of every family, shared by the four modes as a run
    # shares its jobs; and the exact linear references (mode independent).
    draws = {}
    references = {}
    for family in FAMILIES:
        count = samples if solved is None else solved.get(family, 0)
        draws[family] = [draw(family, rng, uniform, normal) for _ in range(count)]
        means, variances = family_moments(family, uniform, normal)
        if inv_float is None:
            references[family] = None
            continue
        mean = [sum(inv_float[i][j] * means[j] for j in range(n)) for i in range(n)]
        sd = [math.sqrt(sum(inv_float[i][j] ** 2 * variances[j] for j in range(n))) for i in range(n)]
        big = []
        if family != "Normal" and count:
            for _ in range(4 * count):
                b = draw(family, rng, uniform, normal)
                big.append([sum(inv_float[i][j] * b[j] for j in range(n)) for i in range(n)])
        references[family] = (mean, sd, big,
                              lambda u, borders, f=family: truth_table(f, inv_float[u], uniform, normal, borders))

    system["modes"] = []
    for name, row_pivot, col_pivot, suffix in MODES:
        steps, order, growth = eliminate(a, row_pivot, col_pivot)
        x = replay(steps, order, rhs)
        box = replay_interval(steps, order, interval_rhs)
        bounds = replay_interval(steps, order, [[v, v] for v in rhs])
        mode = {"mode": name, "summary_file": system["folder"] + "RESULTS_%s.txt" % suffix,
                "pivot_growth": growth, "column_order": order, "unknowns": [], "families": []}
        for u in range(n):
            ulps = None
            over = None
            if exact and u != undecided:
                t = system["true_solution"][u]
                err = round(abs(x[u] - t) / math.ulp(t)) if t != 0 else None
                ulps = err if err else None
                hull_width = system["exact_hull"][u][1] - system["exact_hull"][u][0]
                over = (box[u][1] - box[u][0]) / hull_width if hull_width > 0 else None
            mode["unknowns"].append({"unknown": u, "exact": x[u], "exact_bounds": bounds[u],
                                     "forward_error_ulps": ulps, "interval": box[u],
                                     "interval_overestimation": over})
        for f, family in enumerate(FAMILIES):
            solutions = [replay(steps, order, b) for b in draws[family]]
            entry = {"family": family, "jobs": len(solutions),
                     "seed": None if samples is None else 20240 + 7 * index + f, "unknowns": []}
            for u in range(n):
                if not solutions:
                    entry["unknowns"].append(empty_unknown(u))
                    continue
                values = [s[u] for s in solutions]
                entry["unknowns"].append(
                    unknown_entry(u, values, bands, family, references[family]))
                if batches:
                    entry["unknowns"][-1]["convergence"] = convergence(values, batches)
            mode["families"].append(entry)
        system["modes"].append(mode)
    return system


def empty_unknown(u):
    return {"unknown": u, "min": None, "max": None, "borders": None, "valid": None,
            "invalid": None, "exact_linear": None, "moments": None, "expected_moments": None,
            "coverage_95": None, "discrepancy": None, "gum_validation": None,
            "truth": None, "truth_reason": None}


def unknown_entry(u, values, bands, family, reference):
    lo, hi = min(values), max(values)
    borders = borders_of(lo, hi, bands)
    valid = band_masses(values, borders)
    count = len(values)
    mean = sum(values) / count
    sd = math.sqrt(sum((v - mean) ** 2 for v in values) / max(1, count - 1))
    cover = coverage(values)
    entry = {"unknown": u, "min": lo, "max": hi, "borders": borders, "valid": valid,
             "moments": {"mean": mean, "sd": sd}, "coverage_95": cover}
    if reference is None:
        # No exact references: the approximation from the solved moments.
        invalid = normal_table(mean, sd, borders)
        entry.update({"invalid": invalid, "exact_linear": None, "expected_moments": None,
                      "discrepancy": {"invalid": discrepancy(valid, invalid), "exact_linear": None},
                      "gum_validation": {"invalid": gum(cover["symmetric"], mean - 1.959964 * sd,
                                                        mean + 1.959964 * sd, sd),
                                         "exact_linear": None},
                      "truth": None, "truth_reason": "no inverse: " + HOSTILE})
        return entry
    mean_u, sd_u = reference[0][u], reference[1][u]
    invalid = normal_table(mean_u, sd_u, borders)
    if family == "Normal":
        exact = dict(invalid)
        exact_low, exact_high = mean_u - 1.959964 * sd_u, mean_u + 1.959964 * sd_u
    else:
        big = sorted(row[u] for row in reference[2])
        exact = sample_table(big, mean_u, sd_u, borders)
        exact_low, exact_high = quantile(big, 0.025), quantile(big, 0.975)
    entry.update({
        "invalid": invalid, "exact_linear": exact,
        "expected_moments": {"mean": mean_u, "sd": sd_u},
        "discrepancy": {"invalid": discrepancy(valid, invalid),
                        "exact_linear": discrepancy(valid, exact)},
        "gum_validation": {
            "invalid": gum(cover["symmetric"], mean_u - 1.959964 * sd_u, mean_u + 1.959964 * sd_u, sd_u),
            "exact_linear": gum(cover["symmetric"], exact_low, exact_high, sd_u)}})
    truth = reference[3](u, borders)
    entry["truth"] = truth
    entry["truth_reason"] = None
    entry["discrepancy"]["truth"] = {
        "valid": truth_discrepancy(truth, 0.0, valid, 0.0),
        "invalid": truth_discrepancy(truth, invalid["lower_tail"], invalid["bands"], invalid["upper_tail"]),
        "exact_linear": truth_discrepancy(truth, exact["lower_tail"], exact["bands"], exact["upper_tail"])}
    return entry


def settings(n, exact, bands, systems, samples):
    return {"Dimensions": n, "SolverThreadCount": 1, "GeneratorThreadCount": 2,
            "IntegrationPrecision": 50, "HistogramPrecision": bands, "MaxMatrix": systems,
            "ExactDistributions": exact, "SampleCount": samples}


def program(name="linprob", commit="6023cec"):
    return {"name": name, "version": "1.0.0", "commit": commit}


def default_document():
    rng = random.Random(4)
    systems = []
    for i in range(5):
        folder = os.path.join(REPO, "examples", "Matrix%d" % i)
        flat = read_numbers(os.path.join(folder, "Matice.txt"))
        a = [flat[r * 4:r * 4 + 4] for r in range(4)]
        rhs = read_numbers(os.path.join(folder, "RealRHS.txt"))[:4]
        pairs = lambda name: [list(p) for p in zip(*[iter(read_numbers(os.path.join(folder, name))[:8])] * 2)]
        systems.append(build_system(i, a, rhs, pairs("IntRHS.txt"), pairs("UniformRHS.txt"),
                                    pairs("NormalRHS.txt"), 6000, 11, rng))
    for s in systems:
        for m in s["modes"]:
            for f in m["families"]:
                f["jobs"] = 6250000
                f["seed"] = None
    return {"program": program(),
            "run": {"kind": "enumeration", "settings": settings(4, True, 11, 5, 100000),
                    "jobs_per_phase": 6250000, "wall_time_seconds": 41.73, "export_folder": "Export/"},
            "systems": systems}


def small_document():
    rng = random.Random(2)
    a = [[4.0, 1.0], [2.0, 3.0]]
    rhs = [1.0, 2.0]
    interval = [[0.9, 1.1], [1.8, 2.2]]
    uniform = [[0.8, 1.2], [1.7, 2.3]]
    normal = [[1.0, 0.01], [2.0, 0.02]]
    system = build_system(0, a, rhs, interval, uniform, normal, 20000, 10, rng, batches=16)
    # The phases ran under --digits 2 and stopped at 20000 samples.
    for mode in system["modes"]:
        for f in mode["families"]:
            f["digits"] = {"digits": 2, "most_samples": 100000, "rule_met": True}
    return {"program": program(),
            "run": {"kind": "sampling", "settings": settings(2, False, 10, 1, 20000),
                    "jobs_per_phase": 20000, "wall_time_seconds": 0.84, "export_folder": "ExportApprox/",
                    "report_files": ["results.nc", "results.json", "bands.csv", "unknowns.csv",
                                     "sensitivity.csv"]},
            "systems": [system]}


def correlated(system):
    """The system as if its entries were correlated: the notes beside the
    exact moments' reason, and the normal family's independent indices
    beside its full ones (half of them, for the page to draw)."""
    head = {}
    for key, value in system.items():
        head[key] = value
        if key == "exact_moments_reason":
            head["correlation_note"] = (
                "the entries are correlated (Correlation.txt) through a Gaussian copula, "
                "each keeping its own law: VALID follows the correlation; INVALID, the "
                "propagation of each entry's variance alone, ignores it by construction")
            head["sensitivity_note"] = (
                "the entries are correlated (Correlation.txt): the shares are the normal "
                "family's, \"shares\" each entry's full first-order index corr(x_i, b_j)^2")
    for block in head["sensitivity"]:
        if block["family"] != "Normal":
            continue
        for unknown in block["unknowns"]:
            if not unknown.get("shares"):
                continue
            reason = unknown.pop("reason")
            unknown["independent_shares"] = [v * 0.5 for v in unknown["shares"]]
            unknown["reason"] = reason
    return head


def edge_document():
    rng = random.Random(13)
    n = 13
    systems = []
    for index in range(2):
        a = [[(rng.uniform(-1, 1) if i != j else 0.0) for j in range(n)] for i in range(n)]
        for i in range(n):
            a[i][i] = round(sum(abs(v) for v in a[i]) + rng.uniform(0.5, 2.0), 3)
            a[i] = [round(v, 3) for v in a[i]]
        rhs = [round(rng.uniform(-2, 2), 3) for _ in range(n)]
        interval = [[v - 0.05, v + 0.05] for v in rhs]
        uniform = [[v - 0.1, v + 0.1] for v in rhs]
        normal = [[v, 0.001] for v in rhs]
        folder = "Matrix%d/%s" % (index, HOSTILE) if index == 0 else None
        # System 0: no phase solved a job. System 1: no exact references, and
        # only the Normal family solved jobs, in two of the four modes.
        solved = {} if index == 0 else {"Normal": 1500}
        # System 0 leaves unknown 3's true value and hull open.
        system = build_system(index, a, rhs, interval, uniform, normal, None, 10, rng,
                              exact=(index == 0), folder=folder, solved=solved,
                              undecided=3 if index == 0 else None)
        if index == 0:
            system = correlated(system)
        if index == 1:
            for mode in system["modes"][2:]:
                for f in mode["families"]:
                    f["jobs"] = 0
                    f["unknowns"] = [{"unknown": e["unknown"]} for e in f["unknowns"]]
        systems.append(system)
    return {"program": program(name="linprob " + HOSTILE, commit="<!--" + HOSTILE),
            "run": {"kind": "sampling", "points": "sobol",
                    "settings": settings(n, False, 10, 2, 0),
                    "report_files": ["javascript:alert(1)", "../" + HOSTILE, "bands.csv"],
                    "jobs_per_phase": 0, "wall_time_seconds": 0.02,
                    "export_folder": "Export" + HOSTILE + "/"},
            "systems": systems}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    for name, make in [("results_small.json", small_document),
                       ("results_default.json", default_document),
                       ("results_edge.json", edge_document)]:
        doc = make()
        with open(os.path.join(out, name), "w") as f:
            json.dump(doc, f, allow_nan=False, separators=(",", ":"))
            f.write("\n")
        print("wrote", os.path.join(out, name))


if __name__ == "__main__":
    main()
