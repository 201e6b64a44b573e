#!/usr/bin/env bash
# Reproduces the performance figures: the phase benchmarks, each in its own
# process (so its peak memory is its own) and repeated (REPETITIONS, 5 by
# default; the median is printed), the replay and whole runs of large
# systems (beside numpy, when Debian's python3-numpy is installed), then the
# whole bundled example run with its wall time and peak resident memory, and
# the same from Python (linprob.analyze) beside the command line; the
# interval matrix's methods and their overestimation for growing radii.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
command -v /usr/bin/time >/dev/null || { apt-get update -qq; apt-get install -y -qq time; }
# The numpy peer multiplies with OpenBLAS, as a user's numpy would.
dpkg -s libopenblas0-pthread >/dev/null 2>&1 ||
  { apt-get update -qq; apt-get install -y -qq libopenblas0-pthread; }
mpi=OFF
dpkg -s libopenmpi-dev openmpi-bin >/dev/null 2>&1 && mpi=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DLINPROB_WITH_MPI=$mpi >/dev/null
cmake --build build -j"$(nproc)" --target linprob linprob_bench

repetitions=${REPETITIONS:-5}

# The median of `repetitions` runs of the benchmarks matching $1.
median() {
  build/linprob_bench --benchmark_filter="$1" \
    --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    grep -E '^BM_.*_median' || true
}

echo "Enumeration phase, n = 4, 50 cells (6.25 M jobs), 1 and 2 solver threads;"
echo "moments:1 also counts the moments and fine histograms:"
for threads in 1 2; do
  for moments in 0 1; do
    median "BM_EnumerationPhase/threads:$threads/moments:$moments/"
  done
done

# Processes: the bundled example shared between 1 and 2 MPI processes of
# one solver thread each (mpirun -np K linprob -j 1), the median of
# `repetitions` wall times; needs a build with LINPROB_WITH_MPI.
if grep -q '^LINPROB_WITH_MPI:BOOL=ON' build/CMakeCache.txt &&
   command -v mpirun >/dev/null; then
  mpirun=(mpirun --oversubscribe)
  [ "$(id -u)" = 0 ] && mpirun+=(--allow-run-as-root)
  for ranks in 1 2; do
    times=()
    for _ in $(seq "$repetitions"); do
      rm -rf build/example-ranks
      cp -r examples build/example-ranks
      start=$(date +%s.%N)
      "${mpirun[@]}" -np "$ranks" build/linprob -j 1 --quiet \
        build/example-ranks >/dev/null
      times+=("$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')")
    done
    median=$(printf '%s\n' "${times[@]}" | sort -g |
             awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
    printf 'Bundled example, %d MPI process(es) of 1 solver thread: %.2f s\n' \
      "$ranks" "$median"
  done
else
  echo "Processes: build/ is not built with LINPROB_WITH_MPI=ON; skipped"
fi

echo "Sampling phase, n = 4, 10 M samples:"
median 'BM_SamplingPhase/'

echo "n = 6 at 16 cells (1 and 2 threads), the three phases of an n = 5, 50-cell"
echo "system on 2 threads, the replay and the counting alone:"
median 'BM_EnumerationSixUnknowns'
median 'BM_SystemUnderOneMode'
median 'BM_Replay|BM_CountBlocks'

echo "Counting by halves on 2 threads, with moments and coverage: n = 4 and 6"
echo "at 50 cells, n = 8 at 20 cells:"
median 'BM_EnumerationByHalves'

echo "Interval matrix, one thread: a naive elimination and the verified"
echo "enclosures at n = 10, 100, 1000, the exact hull at n = 4, 8, 10, 12:"
median 'BM_NaiveElimination|BM_VerifiedEnclosures|BM_ExactHull'
echo "Their worst overestimation for growing radii of a 6 x 6 system:"
/usr/bin/python3 bench/interval_radii.py build/linprob 6
# Large systems. The replay alone: step-applications (a recorded combination
# applied to one right-hand side) per second on one block of 1024, on 1 and
# 2 threads, beside the multiply-add pairs per second of numpy's dgemm
# (n x n times n x 1024, OpenBLAS) on the same machine: a pair there is one
# fused instruction, two here (no fused multiply-add).
python=/usr/bin/python3
numpy=yes
"$python" -c 'import numpy' 2>/dev/null || numpy=no
echo "Replay of one block of 1024 right-hand sides, n = 20, 100, 500, 1000:"
for n in 20 100 500 1000; do
  median "BM_LargeReplay/n:$n/tiled:1/"
  if [ $numpy = yes ]; then
    "$python" - "$n" <<'PY'
import sys, time
import numpy as np
n = int(sys.argv[1])
a, b = np.random.rand(n, n), np.random.rand(n, 1024)
a @ b
reps = max(3, int(3e9 / (n * n * 1024)))
best = 0.0
for _ in range(5):
    start = time.perf_counter()
    for _ in range(reps):
        a @ b
    best = max(best, n * n * 1024 * reps / (time.perf_counter() - start))
print("numpy dgemm, n = %d: %.3gG multiply-add pairs/s" % (n, best / 1e9))
PY
  fi
done
echo "Random matrix: one elimination per sample, one thread, row pivoting"
echo "(items_per_second), beside numpy's batched solve of as many systems:"
median 'BM_SampleBatch/'
if [ $numpy = yes ]; then
  OPENBLAS_NUM_THREADS=1 "$python" bench/random_matrix_peer.py
fi
echo "One sampling phase (normal, 2 solver threads, moments and fine histograms):"
median 'BM_LargeSamplingPhase/'

# Whole processes against the numpy peer of bench/large_system.py (12
# phases like the 4 modes x 3 families), side by side, alternated, the
# median of LARGE_REPETITIONS (default 1) wall times each.
mid() { printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
if [ $numpy = yes ]; then
  large=$(mktemp -d)
  trap 'rm -rf "$large"' EXIT
  for case in "20 1000000" "100 100000" "500 10000" "1000 10000"; do
    set -- $case
    "$python" bench/large_system.py make "$large/n$1" "$1" "$2"
    ours=()
    peers=()
    for _ in $(seq "${LARGE_REPETITIONS:-1}"); do
      start=$(date +%s.%N)
      build/linprob -q --no-report "$large/n$1" >/dev/null
      ours+=("$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')")
      start=$(date +%s.%N)
      "$python" bench/large_system.py peer "$large/n$1" >/dev/null
      peers+=("$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')")
    done
    printf 'n = %d, %d samples per phase: linprob %.1f s, numpy peer %.1f s\n' \
      "$1" "$2" "$(mid "${ours[@]}")" "$(mid "${peers[@]}")"
  done
else
  echo "Large systems against numpy: $python has no numpy (apt-get install"
  echo "python3-numpy libopenblas0-pthread); skipped"
fi

# The bundled example as shipped (one solver thread), then with two.
for solvers in 1 2; do
  rm -rf build/example-bench
  cp -r examples build/example-bench
  sed -i "s/^SolverThreadCount .*/SolverThreadCount $solvers/" \
    build/example-bench/Settings.txt
  (cd build/example-bench && /usr/bin/time -v ../linprob >/dev/null 2>time.txt) || true
  echo "Bundled example, $solvers solver thread(s):"
  grep -E 'Elapsed \(wall clock\)|Maximum resident set size' \
    build/example-bench/time.txt
done

# The bundled example from Python (linprob.analyze, which makes the
# program's own run in-process) beside the command line on the same thread
# count; when the Python package was built.
if [ -e build/python/linprob/__init__.py ]; then
  cmake --build build -j"$(nproc)" --target linprob_python_native
  for solvers in 1 2; do
    rm -rf build/example-bench
    cp -r examples build/example-bench
    start=$(date +%s.%N)
    build/linprob -q -j "$solvers" build/example-bench >/dev/null
    line=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
    ours=$(PYTHONPATH=build/python /usr/bin/python3 bench/python_example.py \
             examples "$solvers")
    echo "Bundled example, $solvers solver thread(s): command line $line s," \
         "linprob.analyze $ours s"
  done
fi
