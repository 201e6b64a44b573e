#!/usr/bin/env python3
"""Runs the built program on a copy of an example folder, then reads the two
tidy tables of its Report/ folder with pandas.read_csv(path) and no options,
and checks their column names and the types pandas reads them as.

    check_csv.py PROGRAM EXAMPLE_FOLDER

Exits 0 when both tables read as expected, 1 (with one line per problem)
otherwise."""

import os
import shutil
import subprocess
import sys
import tempfile

import pandas

BANDS = ["system", "mode", "family", "unknown", "band", "lower", "upper",
         "valid", "invalid", "exact_linear"]

UNKNOWNS = [
    "system", "mode", "family", "unknown", "jobs", "condition_number",
    "pivot_growth", "exact", "true_solution", "forward_error_ulps",
    "interval_lower", "interval_upper", "hull_lower", "hull_upper",
    "interval_overestimation", "min", "max", "moments_mean", "moments_sd",
    "expected_moments_mean", "expected_moments_sd", "invalid_mean",
    "invalid_sd", "exact_linear_mean", "exact_linear_sd",
    "coverage_symmetric_lower", "coverage_symmetric_upper",
    "coverage_shortest_lower", "coverage_shortest_upper",
    "coverage_resolution", "invalid_total_variation", "invalid_max_cdf",
    "exact_linear_total_variation", "exact_linear_max_cdf", "invalid_delta",
    "invalid_d_low", "invalid_d_high", "invalid_validated",
    "exact_linear_delta", "exact_linear_d_low", "exact_linear_d_high",
    "exact_linear_validated"]

LABELS = {"mode", "family", "band"}
INTEGERS = {"system", "unknown", "jobs"}
VERDICTS = {"invalid_validated", "exact_linear_validated"}


def column_problem(frame, name):
    """What is wrong with the type of one column, or None."""
    column = frame[name]
    kind = column.dtype.kind
    if name in LABELS:
        return None if kind == "O" else "dtype %s, not text" % column.dtype
    if name in INTEGERS:
        return None if kind == "i" else "dtype %s, not integer" % column.dtype
    if name in VERDICTS:
        # True/False only: bool; with empty cells: object holding bools; all
        # empty: float NaN.
        if kind == "b":
            return None
        values = column.dropna()
        if kind == "O" and all(isinstance(v, bool) for v in values):
            return None
        if kind == "f" and values.empty:
            return None
        return "dtype %s with values %s, not verdicts" % (
            column.dtype, sorted(set(map(str, values)))[:5])
    return None if kind in "if" else "dtype %s, not numeric" % column.dtype


def check_table(path, columns):
    problems = []
    frame = pandas.read_csv(path)
    if list(frame.columns) != columns:
        return ["%s: columns %s" % (path, list(frame.columns))]
    if frame.empty:
        return ["%s: no rows" % path]
    for name in columns:
        problem = column_problem(frame, name)
        if problem:
            problems.append("%s: column %s: %s" % (path, name, problem))
    return problems


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip())
        return 2
    program = os.path.abspath(sys.argv[1])
    example = sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        folder = os.path.join(work, "example")
        shutil.copytree(example, folder)
        run = subprocess.run([program], cwd=folder, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True)
        if run.returncode != 0:
            print("the program ended with status %d: %s" %
                  (run.returncode, run.stderr.strip()))
            return 1
        report = os.path.join(folder, "Report")
        problems = check_table(os.path.join(report, "bands.csv"), BANDS)
        problems += check_table(os.path.join(report, "unknowns.csv"),
                                UNKNOWNS)
        bands = pandas.read_csv(os.path.join(report, "bands.csv"))
        labels = set(bands["band"])
        if not {"lower_tail", "upper_tail", "1"} <= labels:
            problems.append("bands.csv: band labels %s" % sorted(labels)[:5])
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
