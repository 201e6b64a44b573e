#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. With Open
# MPI's packages present (install_deps.sh installs them) the build shares
# runs between the processes of mpirun (LINPROB_WITH_MPI), and the tests
# include the comparison of 1, 2 and 3 processes (scripts/check_ranks.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
mpi=OFF
dpkg -s libopenmpi-dev openmpi-bin >/dev/null 2>&1 && mpi=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DLINPROB_WITH_MPI=$mpi >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
