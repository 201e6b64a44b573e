#!/usr/bin/env python3
"""How close random, sobol and lhs points come to the exact answer on the
bundled example's systems: each kind run whole (ExactDistributions 0,
SampleCount 65536, --seed 1 ... 20), and for every unknown of every phase
the root-mean-square error over the seeds of the sampled mean and sd
(against `expected_moments`, the exact ones) and of the VALID band masses
(against the continuous truth over the same bands). Prints, per quantity,
the ratio random RMS / kind RMS: pooled over all unknowns, and the least and
the median over the unknowns.

Usage: scripts/point_accuracy.py [PROGRAM] [SEEDS]   (default build/linprob, 20)
Not a test: it checks nothing. About a second per run.
"""
import json
import math
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile

root = pathlib.Path(__file__).resolve().parent.parent
program = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else root / "build/linprob").resolve()
seeds = int(sys.argv[2]) if len(sys.argv) > 2 else 20
kinds = ["random", "sobol", "lhs"]


def run(kind, seed, work):
    folder = work / f"{kind}{seed}"
    shutil.copytree(root / "examples", folder)
    settings = folder / "Settings.txt"
    text = settings.read_text().replace("ExactDistributions 1", "ExactDistributions 0")
    lines = [l if not l.startswith("SampleCount") else "SampleCount 65536" for l in text.splitlines()]
    settings.write_text("\n".join(lines) + "\n")
    subprocess.run([str(program), "-q", "--seed", str(seed), "--points", kind, str(folder)],
                   check=True, stdout=subprocess.DEVNULL)
    data = json.loads((folder / "Report/results.json").read_text())
    shutil.rmtree(folder)
    errors = {}  # (system, mode, family, unknown) -> (mean, sd, [band errors])
    for system in data["systems"]:
        for mode in system["modes"]:
            for family in mode["families"]:
                for u in family["unknowns"]:
                    key = (system["index"], mode["mode"], family["family"], u["unknown"])
                    bands = []
                    if u.get("truth"):
                        bands = [v - t for v, t in zip(u["valid"], u["truth"]["bands"])]
                    errors[key] = (u["moments"]["mean"] - u["expected_moments"]["mean"],
                                   u["moments"]["sd"] - u["expected_moments"]["sd"], bands)
    return errors


def rms(values):
    return math.sqrt(sum(v * v for v in values) / len(values)) if values else float("nan")


def main():
    with tempfile.TemporaryDirectory() as tmp:
        work = pathlib.Path(tmp)
        results = {k: [run(k, s, work) for s in range(1, seeds + 1)] for k in kinds}
    keys = sorted(results["random"][0])
    table = {}
    for kind in kinds:
        per = {"mean": {}, "sd": {}, "bands": {}}
        pooled = {"mean": [], "sd": [], "bands": []}
        for key in keys:
            runs = [r[key] for r in results[kind]]
            for q, index in (("mean", 0), ("sd", 1)):
                values = [r[index] for r in runs]
                per[q][key] = rms(values)
                pooled[q] += values
            bands = [b for r in runs for b in r[2]]
            per["bands"][key] = rms(bands)
            pooled["bands"] += bands
        table[kind] = (per, {q: rms(v) for q, v in pooled.items()})
    print(f"{len(keys)} unknowns x {seeds} seeds, 65536 samples a phase, {program}")
    print("quantity  kind    RMS pooled   random/kind pooled   least   median (over unknowns)")
    for q in ("mean", "sd", "bands"):
        for kind in kinds:
            per, pooled = table[kind]
            ratios = [table["random"][0][q][k] / per[q][k] for k in keys
                      if per[q][k] > 0 and not math.isnan(per[q][k])]
            base = table["random"][1][q] / pooled[q] if pooled[q] > 0 else float("inf")
            print(f"{q:8}  {kind:6}  {pooled[q]:.3e}   {base:10.1f}          "
                  f"{min(ratios):7.1f} {statistics.median(ratios):8.1f}")


main()
