#!/usr/bin/env bash
# Checks that a run shared between several MPI processes, or between
# several solver threads, writes exactly the files of a lone run with one
# solver thread: on a copy of the bundled example made small (20 cells per
# entry, two systems), once by enumeration and once by seeded sampling
# (20000 samples, --seed 7), for 2 and 3 processes (mpirun -np) and for 2 and
# 4 threads (-j). Every file must be byte-identical (diff -r), except
# Report/results.json, compared without its wall time and SolverThreadCount;
# so must standard output (--quiet: the per-job lines, which depend on the
# threads, are hidden). Then an input refused on rank 0 must end every
# process with status 1, and a non-root process's failure must end the run
# (no hang).
#
# Usage: scripts/check_ranks.sh [BUILD_DIR]   (default build; needs a build
# configured with -DLINPROB_WITH_MPI=ON, else it says so and passes)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program=$(realpath "$build/linprob")
if ! grep -q '^LINPROB_WITH_MPI:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "check_ranks: $build is not built with LINPROB_WITH_MPI=ON; skipped"
  exit 0
fi
mpirun=(mpirun --oversubscribe)
[ "$(id -u)" = 0 ] && mpirun+=(--allow-run-as-root)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Runs the program in a fresh copy of $work/input: run NAME [mpirun -np K] -- ARGS
run() {
  local name=$1
  shift
  local launcher=()
  while [ "$1" != -- ]; do launcher+=("$1"); shift; done
  shift
  cp -r "$work/input" "$work/$name"
  "${launcher[@]}" "$program" --quiet "$@" "$work/$name" \
    >"$work/$name.out" 2>"$work/$name.err" ||
    { echo "FAIL $name: exit status $?"; cat "$work/$name.err"; failures=$((failures + 1)); }
}

# The settings of results.json that may differ, and the wall time, dropped.
json_without_times() {
  python3 - "$1" <<'PY'
import json, sys
with open(sys.argv[1]) as f:
    data = json.load(f)
data["run"].pop("wall_time_seconds", None)
data["run"].get("settings", {}).pop("SolverThreadCount", None)
print(json.dumps(data, sort_keys=True))
PY
}

same_as_reference() {
  local name=$1 ref=$2
  if ! diff -r -x results.json "$work/$ref" "$work/$name" >"$work/$name.diff" ||
     ! diff <(json_without_times "$work/$ref/Report/results.json") \
            <(json_without_times "$work/$name/Report/results.json") >/dev/null ||
     ! diff "$work/$ref.out" "$work/$name.out" >>"$work/$name.diff"; then
    echo "FAIL $name differs from $ref:"
    head -20 "$work/$name.diff"
    failures=$((failures + 1))
  else
    echo "ok   $name: the files of $ref"
  fi
}

for kind in enumeration sampling; do
  rm -rf "$work/input"
  cp -r examples "$work/input"
  sed -i -e 's/^IntegrationPrecision .*/IntegrationPrecision 20/' \
         -e 's/^MaxMatrix .*/MaxMatrix 2/' "$work/input/Settings.txt"
  seed=()
  if [ "$kind" = sampling ]; then
    sed -i -e 's/^ExactDistributions .*/ExactDistributions 0/' \
           -e 's/^SampleCount .*/SampleCount 20000/' "$work/input/Settings.txt"
    seed=(--seed 7)
  fi
  run "$kind-lone" -- -j 1 "${seed[@]}"
  for ranks in 1 2 3; do
    run "$kind-np$ranks" "${mpirun[@]}" -np "$ranks" -- -j 1 "${seed[@]}"
    same_as_reference "$kind-np$ranks" "$kind-lone"
  done
  run "$kind-np2-j2" "${mpirun[@]}" -np 2 -- -j 2 "${seed[@]}"
  same_as_reference "$kind-np2-j2" "$kind-lone"
  for threads in 2 4; do
    run "$kind-j$threads" -- -j "$threads" "${seed[@]}"
    same_as_reference "$kind-j$threads" "$kind-lone"
  done
done

# A refused input: rank 0 reports it once, and every process ends with 1.
rm -rf "$work/refused"
cp -r examples "$work/refused"
sed -i 's/^Dimensions .*/Dimensions 0/' "$work/refused/Settings.txt"
status=0
timeout 60 "${mpirun[@]}" -np 2 "$program" "$work/refused" \
  >"$work/refused.out" 2>"$work/refused.err" || status=$?
if [ "$status" != 1 ] || [ "$(grep -c 'Dimensions' "$work/refused.err")" != 1 ]; then
  echo "FAIL refused input under 2 processes: status $status"
  cat "$work/refused.err"
  failures=$((failures + 1))
else
  echo "ok   refused input under 2 processes: status 1, reported once"
fi

if [ "$failures" -gt 0 ]; then
  echo "check_ranks: $failures failure(s)"
  exit 1
fi
echo "check_ranks: every run wrote the files of the lone run"
