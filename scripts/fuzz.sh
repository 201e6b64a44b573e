#!/usr/bin/env bash
# Builds the libFuzzer target over the settings reader, the number reader and
# the start-of-run check (clang++, AddressSanitizer with UBSan, in
# build-fuzz/) and runs it for a bounded number of executions (about a minute
# on an idle machine, never more than two minutes). Fails on any finding;
# what the fuzzer found is left in build-fuzz/fuzz-findings/.
#
# The seed corpus: every system of examples/ with the example's settings,
# and the inputs of fuzz/seeds/, taken from the tests. LINPROB_FUZZ_RUNS
# changes the number of executions.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${LINPROB_FUZZ_RUNS:-100000}
dir=$PWD/build-fuzz

bash scripts/install_deps.sh
if ! command -v clang++ >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq clang
fi

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLINPROB_FUZZ=ON \
  -DLINPROB_BUILD_TESTS=OFF -DLINPROB_BUILD_BENCHMARKS=OFF \
  -DLINPROB_BUILD_PYTHON=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target linprob_fuzz

# One input is Settings.txt and Matrix0's five files, separated by "%%"
# lines (fuzz/start_check_fuzz.cc).
examples=$dir/fuzz-examples
corpus=$dir/fuzz-corpus
findings=$dir/fuzz-findings
rm -rf "$examples" "$corpus" "$findings"
mkdir -p "$examples" "$corpus" "$findings"
for system in examples/Matrix*/; do
  {
    cat examples/Settings.txt
    for file in Matice RealRHS IntRHS NormalRHS UniformRHS; do
      printf '\n%%%%\n'
      cat "$system$file.txt"
    done
  } >"$examples/$(basename "$system")"
done

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$dir/linprob_fuzz" -runs="$runs" -max_total_time=120 -max_len=4096 -timeout=20 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
  "$corpus" "$examples" "$PWD/fuzz/seeds"
if [ -n "$(ls -A "$findings")" ]; then
  echo "fuzz: findings in $findings" >&2
  exit 1
fi
