#!/usr/bin/env bash
# Reproduces the performance figures: the phase benchmarks (each in its own
# process, so its peak memory is its own) and the whole bundled example run
# with its wall time and peak resident memory.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
command -v /usr/bin/time >/dev/null || { apt-get update -qq; apt-get install -y -qq time; }
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target linprob linprob_bench

for filter in 'BM_EnumerationPhase/1/' 'BM_EnumerationPhase/2/' \
              'BM_SystemUnderOneMode' 'BM_SamplingPhase' 'BM_Replay'; do
  build/linprob_bench --benchmark_filter="$filter" 2>/dev/null | grep '^BM_' || true
done

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
