#!/usr/bin/env python3
"""The interval matrix's overestimation for a family of growing radii: one
system of n unknowns (a fixed random matrix, not diagonally dominant), its
coefficients widened by a relative radius r, analysed by the program; prints
the worst width over the exact hull of each enclosure per radius.

    bench/interval_radii.py LINPROB [N]
"""
import json
import os
import random
import subprocess
import sys
import tempfile

program = os.path.abspath(sys.argv[1])
n = int(sys.argv[2]) if len(sys.argv) > 2 else 6
rng = random.Random(5)
a = [[round(rng.uniform(-1, 1) + (2.0 if i == j else 0.0), 3) for j in range(n)]
     for i in range(n)]
b = [round(rng.uniform(-1, 1), 3) for _ in range(n)]


def write(folder, name, rows):
    with open(os.path.join(folder, name), "w") as f:
        f.write("\n".join(" ".join(repr(v) for v in row) for row in rows) + "\n")


table = []
for r in [0.0001, 0.001, 0.01, 0.03, 0.05, 0.07, 0.1]:
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "Settings.txt"), "w") as f:
            f.write("Dimensions %d\nS 1\nG 1\nC 2\nB 2\nSystems 1\nE 0\nN 100\n" % n)
        m = os.path.join(work, "Matrix0")
        os.mkdir(m)
        write(m, "Matice.txt", a)
        write(m, "RealRHS.txt", [[v] for v in b])
        write(m, "IntRHS.txt", [[v - 0.01, v + 0.01] for v in b])
        write(m, "NormalRHS.txt", [[v, 1e-4] for v in b])
        write(m, "UniformRHS.txt", [[v - 0.01, v + 0.01] for v in b])
        write(m, "IntMatice.txt",
              [sum(([v - abs(v) * r, v + abs(v) * r] for v in row), []) for row in a])
        subprocess.run([program, "--quiet", "--seed", "1", work], check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(work, "Report", "results.json")) as f:
            im = json.load(f)["systems"][0]["interval_matrix"]
    if not im["regular"]:
        table.append((r, {"regular": im["reason"]}))
        continue
    row = {}
    for e in im["enclosures"]:
        short = {"naive elimination": "naive", "Hansen-Bliek-Rohn": "HBR",
                 "Gauss-Seidel": "GS"}.get(e["method"], e["method"])
        name = short + ("" if e["mode"] is None else " %d" % e["mode"])
        row[name] = e["worst_overestimation"]
    table.append((r, row))

names = [k for _, row in table for k in row]
names = [k for k in dict.fromkeys(names) if k != "regular"]
print("radius  " + "  ".join("%-10s" % k for k in names))
for r, row in table:
    if "regular" in row:
        print("%-7g %s" % (r, row["regular"]))
        continue
    print("%-7g " % r + "  ".join("%-10s" % ("%.4g" % row[k] if isinstance(row.get(k), float)
                                           else str(row.get(k))) for k in names))
