#!/usr/bin/env python3
"""check_csv.py PROGRAM EXAMPLE_FOLDER: runs the built program on a copy of
the example folder, as it is (enumeration) and as a sampling run, then reads
Report/bands.csv, Report/unknowns.csv and Report/sensitivity.csv with
pandas.read_csv(path) and no options and checks their column names and the
types pandas gives them, and that every column holds a value in one of the
two runs (a measure that is declared but never computed leaves its column
empty). Exits 1 with one line per problem."""

import os
import re
import shutil
import subprocess
import sys
import tempfile

import pandas

BANDS = "system mode family unknown band lower upper valid invalid exact_linear truth truth_error valid_se"
UNKNOWNS = """system mode family unknown jobs condition_number pivot_growth exact
true_solution forward_error_ulps interval_lower interval_upper hull_lower
hull_upper interval_overestimation min max moments_mean moments_sd
expected_moments_mean expected_moments_sd invalid_mean invalid_sd
exact_linear_mean exact_linear_sd coverage_symmetric_lower
coverage_symmetric_upper coverage_shortest_lower coverage_shortest_upper
coverage_resolution invalid_total_variation invalid_max_cdf
exact_linear_total_variation exact_linear_max_cdf invalid_delta invalid_d_low
invalid_d_high invalid_validated exact_linear_delta exact_linear_d_low
exact_linear_d_high exact_linear_validated truth_method truth_max_error
valid_truth_total_variation valid_truth_max_cdf invalid_truth_total_variation
invalid_truth_max_cdf exact_linear_truth_total_variation
exact_linear_truth_max_cdf moments_mean_se moments_sd_se
coverage_symmetric_lower_se coverage_symmetric_upper_se
coverage_shortest_lower_se coverage_shortest_upper_se coverage_factor
exact_bounds_lower exact_bounds_upper"""
SENSITIVITY = "system family unknown entry share contribution_sd cells_share"

LABELS = {"mode", "family", "band", "truth_method"}
INTEGERS = {"system", "unknown", "jobs", "entry"}
VERDICTS = {"invalid_validated", "exact_linear_validated"}


def type_problem(column):
    """What is wrong with the type pandas read a column as, or None."""
    kind = column.dtype.kind
    if column.name in LABELS:
        return None if kind == "O" else "not text"
    if column.name in INTEGERS:
        return None if kind == "i" else "not integer"
    if column.name in VERDICTS:
        # bool; object when some cells are empty; float when all are.
        values = column.dropna()
        if kind == "b" or (kind == "O" and all(isinstance(v, bool) for v in values)) \
                or (kind == "f" and values.empty):
            return None
        return "not True/False"
    return None if kind in "if" else "not numeric"


def check(path, names):
    """The problems of one table, and the table."""
    frame = pandas.read_csv(path)
    if list(frame.columns) != names.split():
        return ["%s: columns %s" % (path, list(frame.columns))], frame
    problems = ["%s: no rows" % path] if frame.empty else []
    for name in frame.columns:
        problem = type_problem(frame[name])
        if problem:
            problems.append("%s: %s is %s (%s)" % (path, name, problem, frame[name].dtype))
    return problems, frame


def run_tables(program, example, work, name, sampling):
    """Runs the program on a copy of `example` (as a sampling run when
    asked); the problems of its three tables, and the tables."""
    folder = os.path.join(work, name)
    shutil.copytree(example, folder)
    arguments = [program]
    if sampling:
        settings = os.path.join(folder, "Settings.txt")
        with open(settings) as f:
            text = re.sub(r"ExactDistributions\s+1", "ExactDistributions 0", f.read())
            # Enough samples for every standard error (the shortest
            # interval's ends need two batches of 1024).
            text = re.sub(r"SampleCount\s+\d+", "SampleCount 4096", text)
        with open(settings, "w") as f:
            f.write(text)
        arguments += ["--seed", "7"]
    run = subprocess.run(arguments, cwd=folder, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True)
    if run.returncode != 0:
        return ["%s run: the program ended with status %d: %s"
                % (name, run.returncode, run.stderr)], {}
    report = os.path.join(folder, "Report")
    problems, tables = [], {}
    for table, names in (("bands.csv", BANDS), ("unknowns.csv", UNKNOWNS),
                         ("sensitivity.csv", SENSITIVITY)):
        found, tables[table] = check(os.path.join(report, table), names)
        problems += found
    return problems, tables


def main():
    program, example = os.path.abspath(sys.argv[1]), sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        problems, runs = [], []
        for name, sampling in (("enumeration", False), ("sampling", True)):
            found, tables = run_tables(program, example, work, name, sampling)
            problems += found
            runs.append(tables)
        if all(runs):
            for table in runs[0]:
                both = pandas.concat([tables[table] for tables in runs])
                for column in both.columns:
                    if both[column].isna().all():
                        problems.append("%s: %s is empty in both runs" % (table, column))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
