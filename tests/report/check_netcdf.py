#!/usr/bin/env python3
"""check_netcdf.py PROGRAM EXAMPLE_FOLDER: runs the built program on a copy
of the example folder (enumeration), on a random system of 50 unknowns and on
one of 101 (sampling, --digits 1), and checks Report/results.nc against the tables of the
same run: xarray opens it with its named dimensions, and every value of
unknowns.csv, bands.csv and sensitivity.csv is in it, bit for bit (an empty
cell its missing value). At 101 unknowns results.json is in short (no full
table, no matrix, no shares, the worst unknowns named). Needs Debian's
python3-xarray, python3-netcdf4 and python3-pandas. Exits 1 with one line
per problem."""

import json
import os
import shutil
import subprocess
import sys
import tempfile

import numpy
import pandas
import xarray

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from random_system_folder import random_system, write_folder  # noqa: E402

DIMENSIONS = {"system", "mode", "family", "unknown", "entry", "band", "border", "batch", "round"}
KEYS = {"system", "mode", "family", "unknown", "band", "lower", "upper", "entry",
        "jobs", "condition_number", "pivot_growth", "contribution_sd"}
# Columns the system holds once (not per mode): the nc keeps them there.
SYSTEM_HELD = {"true_solution": "true_solution", "hull_lower": "exact_hull_lower",
               "hull_upper": "exact_hull_upper"}

problems = []


def run(program, folder, *options):
    done = subprocess.run([program, "--quiet", *options, folder], capture_output=True, text=True)
    if done.returncode != 0:
        raise SystemExit("%s: exit status %d: %s" % (folder, done.returncode, done.stderr))


def same_bits(name, expected, got):
    """expected: the CSV's cells as text; got: the nc's values there."""
    got = numpy.asarray(got, dtype=float)
    empty = numpy.array([cell == "" for cell in expected])
    if numpy.any(~numpy.isnan(got[empty])):
        problems.append("%s: a value in results.nc where the CSV cell is empty" % name)
    text = [cell for cell in expected if cell != ""]
    if name.endswith("_validated"):
        wanted = numpy.array([1.0 if cell == "True" else 0.0 for cell in text])
    else:
        wanted = numpy.array([float(cell) for cell in text])
    have = got[~empty]
    if wanted.size and not numpy.array_equal(wanted.view(numpy.int64), have.view(numpy.int64)):
        bad = int(numpy.sum(wanted.view(numpy.int64) != have.view(numpy.int64)))
        problems.append("%s: %d of %d values differ from the CSV's" % (name, bad, wanted.size))


def places(ds, table):
    index = {}
    for dim in ("mode", "family"):
        if dim in table:
            labels = [str(v) for v in ds[dim].values]
            index[dim] = table[dim].map(labels.index).to_numpy()
    for dim in ("system", "unknown", "entry"):
        if dim in table:
            index[dim] = table[dim].astype(int).to_numpy()
    return index


def check_tables(label, report):
    ds = xarray.open_dataset(os.path.join(report, "results.nc"))
    missing = DIMENSIONS - set(ds.sizes)
    if missing:
        problems.append("%s: results.nc lacks the dimensions %s" % (label, sorted(missing)))
    for name, variable in ds.variables.items():
        if "long_name" not in variable.attrs:
            problems.append("%s: %s has no long_name" % (label, name))
    read = lambda name: pandas.read_csv(os.path.join(report, name), dtype=str, keep_default_na=False)
    unknowns = read("unknowns.csv")
    at = places(ds, unknowns)
    for column in unknowns.columns:
        if column in KEYS or column == "truth_method":
            continue
        name = SYSTEM_HELD.get(column, column)
        values = ds[name].values
        dims = ds[name].dims
        got = values[tuple(at[d] for d in dims)]
        same_bits("%s: unknowns.csv %s" % (label, column), unknowns[column].tolist(), got)
    methods = ds["truth_method"].values[at["system"], at["mode"], at["family"], at["unknown"]]
    if [str(m) for m in methods] != unknowns["truth_method"].tolist():
        problems.append("%s: truth_method differs from unknowns.csv" % label)

    bands = read("bands.csv")
    at = places(ds, bands)
    table = (at["system"], at["mode"], at["family"], at["unknown"])
    lower = (bands["band"] == "lower_tail").to_numpy()
    upper = (bands["band"] == "upper_tail").to_numpy()
    inner = ~(lower | upper)
    k = numpy.where(inner, pandas.to_numeric(bands["band"], errors="coerce").fillna(1), 1).astype(int) - 1
    for column in ("valid", "invalid", "exact_linear", "truth", "truth_error", "valid_se"):
        cells = bands[column].to_numpy()
        got = ds[column].values[table + (k,)]
        same_bits("%s: bands.csv %s" % (label, column), list(cells[inner]), got[inner])
        for tail, rows in (("_lower_tail", lower), ("_upper_tail", upper)):
            got = ds[column + tail].values[table]
            same_bits("%s: bands.csv %s%s" % (label, column, tail), list(cells[rows]), got[rows])
    borders = ds["borders"].values
    same_bits("%s: bands.csv upper" % label, list(bands["upper"].to_numpy()[inner]),
              borders[table + (k + 1,)][inner])

    shares = read("sensitivity.csv")
    at = places(ds, shares)
    where = (at["system"], at["family"], at["unknown"], at["entry"])
    same_bits("%s: sensitivity.csv share" % label, shares["share"].tolist(), ds["share"].values[where])
    if (shares["cells_share"] != "").any():
        same_bits("%s: sensitivity.csv cells_share" % label, shares["cells_share"].tolist(),
                  ds["cells_share"].values[where])
    return ds


def check_short_json(label, report, n):
    with open(os.path.join(report, "results.json")) as f:
        doc = json.load(f)
    system = doc["systems"][0]
    if system["matrix"] is not None or system["sensitivity"] is not None:
        problems.append("%s: results.json still holds the matrix or the shares" % label)
    if "results.nc" not in (system.get("sensitivity_reason") or ""):
        problems.append("%s: the shares' reason does not name results.nc" % label)
    worst = system.get("worst_unknowns")
    if not isinstance(worst, list) or not 0 < len(worst) <= 100 or len(set(worst)) != len(worst):
        problems.append("%s: worst_unknowns is not a list of up to 100 unknowns" % label)
    for mode in system["modes"]:
        if len(mode["unknowns"]) != n:
            problems.append("%s: a mode without every unknown's solution measures" % label)
        for family in mode["families"]:
            for entry in family["unknowns"]:
                if set(entry) != {"unknown", "total_variation", "validated"}:
                    problems.append("%s: a full table in the short results.json" % label)
                    return


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    program, example = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="linprob_netcdf_") as scratch:
        copy = os.path.join(scratch, "example")
        shutil.copytree(example, copy)
        run(program, copy)
        check_tables("example", os.path.join(copy, "Report"))
        for n, samples in ((50, 4000), (101, 200)):
            folder = os.path.join(scratch, "n%d" % n)
            os.mkdir(folder)
            write_folder(folder, [random_system(n, 1, n, dominant=True)],
                         "Dimensions %d\nSolverThreadCount 2\nGeneratorThreadCount 2\n"
                         "IntegrationPrecision 5\nHistogramPrecision 10\nMaxMatrix 1\n"
                         "ExactDistributions 0\nSampleCount %d\n" % (n, samples))
            run(program, folder, *(["--digits", "1"] if n > 100 else []))
            report = os.path.join(folder, "Report")
            ds = check_tables("n = %d" % n, report)
            if n == 50 and (ds.sizes["batch"] < 2 or numpy.all(numpy.isnan(ds["convergence_mean"].values))):
                problems.append("n = %d: results.nc holds no running estimates" % n)
            if n > 100:
                check_short_json("n = %d" % n, report, n)
                # The rounds of each --digits phase, the last one the phase's jobs.
                rounds = ds["digits_round_samples"].values
                last = numpy.array([[row[~numpy.isnan(row)][-1] for row in mode] for mode in rounds[0]])
                if not numpy.array_equal(last, ds["jobs"].values[0].astype(float)):
                    problems.append("n = %d: the last round's samples are not the phase's jobs" % n)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
