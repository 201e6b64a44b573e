"""random_matrix_peer.py: numpy's batched numpy.linalg.solve of as many
drawn systems as a random matrix's phase solves, drawn as
bench/random_matrix_benchmark.cc draws them (every entry uniform on
[-1, 1]; or A within 5 % of a mean uniform on [-1, 1] plus n/2 on its
diagonal): n = 4, 10 and 50 with 10**6, 10**5 and 10**4 systems, the best
of three, per system. The
program's kernel also checks each system's condition number (its unit
vectors eliminated beside b); numpy's solve checks none."""

import time

import numpy as np

rng = np.random.default_rng(5)
for draws in ("uniform", "near a mean"):
    for n, m in ((4, 10**6), (10, 10**5), (50, 10**4)):
        b = rng.uniform(-1, 1, (m, n, 1))
        if draws == "uniform":
            A = rng.uniform(-1, 1, (m, n, n))
        else:
            mean = rng.uniform(-1, 1, (n, n)) + np.eye(n) * n / 2
            A = mean * (1 + 0.05 * rng.uniform(-1, 1, (m, n, n)))
        best = float("inf")
        for _ in range(3):
            start = time.perf_counter()
            np.linalg.solve(A, b)
            best = min(best, time.perf_counter() - start)
        print(f"numpy.linalg.solve, {draws}, n = {n}, {m} systems: {best:.3f} s, "
              f"{best / m * 1e9:.0f} ns a system")
