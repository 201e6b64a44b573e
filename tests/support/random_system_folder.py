"""Random dense systems and the input folders that hold them, for the tests
that run the program on generated systems (standard library only)."""

import os
import random


def random_system(n, kappa, seed, dominant=False):
    """Entries m * 10^e (m in [1, 10), e in -2..1), a random sign each; for
    kappa > 1 the last row a combination of the others plus a perturbation
    of relative size 1 / kappa (kappa about 1e3 times that); `dominant`
    puts 20 n on the diagonal (so no pivoting mode grows the entries)."""
    rng = random.Random(seed)

    def draw():
        return rng.choice((-1.0, 1.0)) * rng.uniform(1.0, 10.0) * 10.0 ** rng.randint(-2, 1)

    a = [[draw() for _ in range(n)] for _ in range(n)]
    if dominant:
        for i in range(n):
            a[i][i] = 20.0 * n
    if kappa > 1:
        weights = [rng.uniform(-1, 1) for _ in range(n - 1)]
        for c in range(n):
            column = [a[r][c] for r in range(n - 1)]
            size = sum(abs(v) for v in column)
            a[n - 1][c] = sum(w * v for w, v in zip(weights, column)) + rng.uniform(-1, 1) * size / kappa
    rhs = [draw() for _ in range(n)]
    box = []
    for b in rhs:
        spread = abs(b) * 0.01 * (1 + rng.random())
        box.append((b - spread, b + 0.5 * spread))
    return a, rhs, box


def write_folder(folder, systems, settings):
    """An input folder: Settings.txt holding `settings`, and Matrix<i>/ for
    each (a, rhs, box) of `systems` (NormalRHS: mean b, variance (b/100)^2)."""
    with open(os.path.join(folder, "Settings.txt"), "w") as f:
        f.write(settings)
    for i, (a, rhs, box) in enumerate(systems):
        sub = os.path.join(folder, "Matrix%d" % i)
        os.mkdir(sub)
        with open(os.path.join(sub, "Matice.txt"), "w") as f:
            f.writelines(" ".join(repr(v) for v in row) + "\n" for row in a)
        with open(os.path.join(sub, "RealRHS.txt"), "w") as f:
            f.writelines(repr(v) + "\n" for v in rhs)
        for name in ("IntRHS.txt", "UniformRHS.txt"):
            with open(os.path.join(sub, name), "w") as f:
                f.writelines("%r %r\n" % pair for pair in box)
        with open(os.path.join(sub, "NormalRHS.txt"), "w") as f:
            f.writelines("%r %r\n" % (b, (0.01 * b) ** 2) for b in rhs)
