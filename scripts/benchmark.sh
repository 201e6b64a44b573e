#!/usr/bin/env bash
# Reproduces the performance figures: the phase benchmarks, each in its own
# process (so its peak memory is its own) and repeated (REPETITIONS, 5 by
# default; the median is printed), then the whole bundled example run with
# its wall time and peak resident memory.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
command -v /usr/bin/time >/dev/null || { apt-get update -qq; apt-get install -y -qq time; }
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
