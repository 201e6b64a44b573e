#!/usr/bin/env bash
# Installs what is missing, builds linprob and runs it on a copy of the
# bundled example working directory (examples/) under build/example-run/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
mpi=OFF
dpkg -s libopenmpi-dev openmpi-bin >/dev/null 2>&1 && mpi=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DLINPROB_WITH_MPI=$mpi >/dev/null
cmake --build build -j"$(nproc)" --target linprob
rm -rf build/example-run
cp -r examples build/example-run
(cd build/example-run && ../linprob)
echo
echo "Results: $(pwd)/build/example-run/Matrix*/RESULTS_*.txt"
echo "CSV export: $(pwd)/build/example-run/Export/"
echo "Report: $(pwd)/build/example-run/Report/index.html"
