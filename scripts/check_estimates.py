#!/usr/bin/env python3
"""Compares the run-time estimate of `linprob --check` with the wall time of
the run itself over a grid of made-up working folders (regular systems of n
unknowns, enumeration or sampling, thread counts, up to 2,000 unknowns in
both modes), and prints one table row per case: the time --check itself
took, the estimate, the run's time and their ratio.

    python3 scripts/check_estimates.py [--binary build/linprob]
                                       [--before OTHER/linprob]
                                       [--cases NAME,NAME] [--keep DIR]

With --before, the --check of another build (the commit before a change)
runs on the same folder, and its time and estimate are printed beside, with
their ratio to the same run.

Every case is run in a fresh temporary folder; the systems are diagonally
dominant with entries drawn from a fixed seed. Timings on a shared machine
are noisy: run it on a quiet one. Not a test: it takes minutes.
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

# name: (n, systems, cells, histogram, exact, samples, threads)
CASES = {
    "example-j1": (4, 5, 50, 10, 1, 0, 1),
    "example-j2": (4, 5, 50, 10, 1, 0, 2),
    "example-j16": (4, 5, 50, 10, 1, 0, 16),
    "example-j1024": (4, 5, 50, 10, 1, 0, 1024),
    "n4-bands50k": (4, 1, 20, 50000, 1, 0, 1),
    "n1-bands1m": (1, 1, 10, 1000000, 1, 0, 1),
    "n4-sampling": (4, 2, 0, 10, 0, 2000000, 2),
    "n16-cells2": (16, 1, 2, 10, 1, 0, 1),
    "n16-cells2-j1024": (16, 1, 2, 10, 1, 0, 1024),
    "n64-cells1": (64, 2, 1, 10, 1, 0, 1),
    "n64-sampling": (64, 1, 0, 10, 0, 20000, 2),
    "n125-cells1": (125, 1, 1, 10, 1, 0, 1),
    "n250-cells1": (250, 1, 1, 10, 1, 0, 1),
    "n250-cells1-j1024": (250, 1, 1, 10, 1, 0, 1024),
    "n250-sampling": (250, 1, 0, 10, 0, 3000, 2),
    "n500-cells1": (500, 1, 1, 10, 1, 0, 2),
    "n500-sampling": (500, 1, 0, 10, 0, 10000, 2),
    "n1000-sampling": (1000, 1, 0, 10, 0, 1, 1),
    "n1000-sampling-j2": (1000, 1, 0, 10, 0, 2000, 2),
    "n1000-cells1": (1000, 1, 1, 10, 1, 0, 2),
    "n2000-sampling": (2000, 1, 0, 10, 0, 256, 2),
    "n2000-cells1": (2000, 1, 1, 10, 1, 0, 2),
}


def write_case(folder, n, systems, cells, histogram, exact, samples, threads):
    rnd = random.Random(n * 7919 + systems)
    with open(os.path.join(folder, "Settings.txt"), "w") as f:
        f.write(f"Dimensions {n}\nSolverThreadCount {threads}\n"
                f"GeneratorThreadCount 2\nIntegrationPrecision {max(cells, 1)}\n"
                f"HistogramPrecision {histogram}\nMaxMatrix {systems}\n"
                f"ExactDistributions {exact}\nSampleCount {max(samples, 1)}\n")
    for s in range(systems):
        d = os.path.join(folder, f"Matrix{s}")
        os.makedirs(d)
        with open(os.path.join(d, "Matice.txt"), "w") as f:
            for r in range(n):
                row = [rnd.uniform(-1, 1) for _ in range(n)]
                row[r] = n + 1.0 + rnd.random()
                f.write(" ".join(repr(v) for v in row) + "\n")
        b = [rnd.uniform(-1, 1) for _ in range(n)]
        w = 0.1
        with open(os.path.join(d, "RealRHS.txt"), "w") as f:
            f.write("\n".join(repr(v) for v in b) + "\n")
        for name in ("IntRHS.txt", "UniformRHS.txt"):
            with open(os.path.join(d, name), "w") as f:
                f.write("\n".join(f"{v - w!r} {v + w!r}" for v in b) + "\n")
        with open(os.path.join(d, "NormalRHS.txt"), "w") as f:
            f.write("\n".join(f"{v!r} {w * w / 3!r}" for v in b) + "\n")


def seconds_of(text):
    """The seconds of a duration as the program prints it ("3m05s")."""
    units = {"d": 86400, "h": 3600, "m": 60, "s": 1}
    return sum(int(v) * units[u] for v, u in re.findall(r"(\d+)([dhms])", text))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary",
                        default=os.path.join(here, "..", "build", "linprob"))
    parser.add_argument("--before", default=None,
                        help="another build whose --check to print beside")
    parser.add_argument("--cases", default=",".join(CASES))
    parser.add_argument("--keep", default=None,
                        help="make the folders under DIR and keep them")
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    before = os.path.abspath(args.before) if args.before else None
    print(f"{'case':<20} {'check':>7} {'estimate':>9} {'run':>9} {'ratio':>6}"
          "  long-run line" +
          ("   before: check  estimate  ratio" if before else ""))
    worst = 1.0
    for name in args.cases.split(","):
        parameters = CASES[name]
        root = args.keep or tempfile.mkdtemp(prefix="linprob-estimate-")
        folder = os.path.join(root, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        write_case(folder, *parameters)
        start = time.monotonic()
        check = subprocess.run([binary, "--check", folder],
                               capture_output=True, text=True)
        checking = time.monotonic() - start
        found = re.search(r"Estimated run time: (\S+)", check.stdout)
        if check.returncode != 0 or not found:
            print(f"{name:<20} --check failed: {check.stderr.strip()}")
            continue
        estimate = seconds_of(found.group(1))
        earlier = None
        if before:
            start = time.monotonic()
            old = subprocess.run([before, "--check", folder],
                                 capture_output=True, text=True)
            old_checking = time.monotonic() - start
            old_found = re.search(r"Estimated run time: (\S+)", old.stdout)
            if old.returncode == 0 and old_found:
                earlier = (old_checking, seconds_of(old_found.group(1)))
        start = time.monotonic()
        run = subprocess.run([binary, "-q", folder], capture_output=True,
                             text=True)
        actual = time.monotonic() - start
        long_line = "yes" if "estimated to take" in run.stderr else "no"
        if run.returncode != 0:
            print(f"{name:<20} run failed ({run.returncode}): "
                  f"{run.stderr.strip()}")
            continue
        # The estimate is shown to the second.
        ratio = max(estimate, 0.5) / max(actual, 0.5)
        if abs(estimate - actual) > 1.0:
            worst = max(worst, ratio, 1.0 / ratio)
        beside = ""
        if before:
            beside = ("   --check failed" if earlier is None else
                      f"   {earlier[0]:>12.1f}s {earlier[1]:>8}s "
                      f"{max(earlier[1], 0.5) / max(actual, 0.5):>6.2f}")
        print(f"{name:<20} {checking:>6.1f}s {estimate:>8}s {actual:>8.1f}s "
              f"{ratio:>6.2f}  {long_line:<13}{beside}")
        sys.stdout.flush()
        if not args.keep:
            shutil.rmtree(root, ignore_errors=True)
    print(f"worst factor (cases more than a second off): {worst:.2f}")


if __name__ == "__main__":
    main()
