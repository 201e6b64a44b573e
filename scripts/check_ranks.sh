#!/usr/bin/env bash
# Checks that a run shared between several MPI processes, or between
# several solver threads, writes exactly the files of a lone run with one
# solver thread: on a copy of the bundled example made small (20 cells per
# entry, two systems, the second with an interval matrix), once by
# enumeration and once by seeded sampling (20000 samples, --seed 7, the
# second system's matrix then random too), for 2 and 3 processes (mpirun -np) and for 2 and
# 4 threads (-j); then the seeded sampling run with sobol points, with lhs
# points and with --digits 2, for 2 processes of 2 threads and for 3
# processes. Every file must be byte-identical (diff -r), except
# Report/results.json and the page Report/index.html that holds it, compared
# without the run's wall time and SolverThreadCount;
# so must standard output (--quiet: the per-job lines, which depend on the
# threads, are hidden). Then an input refused on rank 0 must end every
# process with status 1, and a non-root process's failure must end the run
# (no hang); last, a stop signal to the launcher or to the processes must
# end every process by itself, with one report.
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
# Containers often forbid the cross-memory attach of Open MPI's shared-memory
# transport; copying through the shared segment works everywhere.
export OMPI_MCA_btl_vader_single_copy_mechanism=${OMPI_MCA_btl_vader_single_copy_mechanism:-none}
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

# results.json, or the page index.html with results.json inside it, without
# the wall time and SolverThreadCount (the two things a shared run may
# change), the rest as it is.
without_times() {
  python3 - "$1" <<'PY'
import json, sys
path = sys.argv[1]
with open(path, encoding="utf-8") as f:
    text = f.read()
def normalised(raw):
    data = json.loads(raw)
    data["run"].pop("wall_time_seconds", None)
    data["run"].get("settings", {}).pop("SolverThreadCount", None)
    return json.dumps(data, sort_keys=True)
if path.endswith(".json"):
    print(normalised(text))
else:
    tag = '<script type="application/json" id="results">'
    start = text.index(tag) + len(tag)
    end = text.index("</script>", start)
    print(text[:start] + normalised(text[start:end]) + text[end:])
PY
}

same_as_reference() {
  local name=$1 ref=$2
  local same=yes
  diff -r -x results.json -x index.html "$work/$ref" "$work/$name" \
    >"$work/$name.diff" || same=no
  for file in results.json index.html; do
    if [ -e "$work/$ref/Report/$file" ] || [ -e "$work/$name/Report/$file" ]; then
      diff -q <(without_times "$work/$ref/Report/$file") \
             <(without_times "$work/$name/Report/$file") >/dev/null ||
        { same=no; echo "Report/$file differs" >>"$work/$name.diff"; }
    fi
  done
  diff "$work/$ref.out" "$work/$name.out" >>"$work/$name.diff" || same=no
  if [ $same = no ]; then
    echo "FAIL $name differs from $ref:"
    head -20 "$work/$name.diff" | cut -c1-300
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
  # The second system also has an interval matrix: its coefficients
  # widened by 1 % (the report's enclosures, computed on every process).
  awk '{ for (i = 1; i <= NF; i++) { r = ($i < 0 ? -$i : $i) / 100;
         printf "%s%.17g %.17g", (i > 1 ? " " : ""), $i - r, $i + r }
         print "" }' "$work/input/Matrix1/Matice.txt" \
    >"$work/input/Matrix1/IntMatice.txt"
  seed=()
  if [ "$kind" = sampling ]; then
    sed -i -e 's/^ExactDistributions .*/ExactDistributions 0/' \
           -e 's/^SampleCount .*/SampleCount 20000/' "$work/input/Settings.txt"
    seed=(--seed 7)
    # Sampled, the second system's matrix is also random for the uniform
    # and triangular families: each coefficient within 5 % (every sample
    # eliminated on its own, wherever it is solved).
    awk '{ for (i = 1; i <= NF; i++) { r = ($i < 0 ? -$i : $i) / 20;
           printf "%s%.17g %.17g", (i > 1 ? " " : ""), $i - r, $i + r }
           print "" }' "$work/input/Matrix1/Matice.txt" \
      >"$work/input/Matrix1/UniformMatice.txt"
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

# The sampling options too (the input is still the sampling one): sobol and
# lhs points, and --digits, whose rounds end where the results say, so on no
# process or thread count.
for option in "--points sobol" "--points lhs" "--digits 2"; do
  name=sampling${option//[- ]/}
  read -r -a args <<<"$option"
  run "$name-lone" -- -j 1 --seed 7 "${args[@]}"
  run "$name-np2-j2" "${mpirun[@]}" -np 2 -- -j 2 --seed 7 "${args[@]}"
  same_as_reference "$name-np2-j2" "$name-lone"
  run "$name-np3" "${mpirun[@]}" -np 3 -- -j 1 --seed 7 "${args[@]}"
  same_as_reference "$name-np3" "$name-lone"
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

# A stop: SIGINT to mpirun (which ends its processes with SIGTERM), then
# to the two processes themselves, a few phases into a long run. Every
# process stops by itself, without MPI_Abort and its report: one
# "Interrupted by" line (rank 0's), no lock file or temporary left, and the
# launcher's status 128 + N when the signal reached the processes (Open
# MPI's mpirun exits 1 when it was signalled itself, whatever its
# processes return).
rm -rf "$work/long"
cp -r examples "$work/long"
sed -i 's/^IntegrationPrecision .*/IntegrationPrecision 100/' \
  "$work/long/Settings.txt"
for target in launcher processes; do
  rm -rf "$work/stop-$target"
  cp -r "$work/long" "$work/stop-$target"
  timeout 120 "${mpirun[@]}" -np 2 "$program" -j 1 --quiet --counting replay \
    "$work/stop-$target" >"$work/stop.out" 2>"$work/stop.err" &
  launcher=$!
  for _ in $(seq 600); do
    grep -q '^Calculating results' "$work/stop.out" 2>/dev/null && break
    sleep 0.1
  done
  sleep 0.5
  if [ $target = launcher ]; then
    signal=TERM
    kill -INT "$(pgrep -P "$launcher" -x mpirun || echo "$launcher")"
  else
    signal=INT
    pkill -INT -P "$(pgrep -P "$launcher" -x mpirun)" -x linprob
  fi
  status=0
  wait "$launcher" || status=$?
  expected=(1 143)
  [ $target = processes ] && expected=(130)
  left=$(find "$work/stop-$target" -name '*.tmp' -o -name .linprob.lock)
  if [[ ! " ${expected[*]} " =~ " $status " ]] ||
     [ "$(grep -c '^Interrupted by SIG' "$work/stop.err")" != 1 ] ||
     ! grep -q "^Interrupted by SIG$signal: kept" "$work/stop.err" ||
     grep -q -e MPI_ABORT -e 'failed$' "$work/stop.err" || [ -n "$left" ]; then
    echo "FAIL SIGINT to the $target of 2 processes: status $status"
    cat "$work/stop.err"
    echo "$left"
    failures=$((failures + 1))
  else
    echo "ok   SIGINT to the $target of 2 processes: status $status, one report"
  fi
done

if [ "$failures" -gt 0 ]; then
  echo "check_ranks: $failures failure(s)"
  exit 1
fi
echo "check_ranks: every run wrote the files of the lone run"
