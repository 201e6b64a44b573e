#!/usr/bin/env bash
# Builds the Debian package linprob_<version>_<arch>.deb in build-package/
# (a build of the program and its man page only, no tests) and prints its
# path. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
# With Open MPI present the packaged program shares runs under mpirun
# (dpkg-shlibdeps then adds Open MPI's library to the Depends).
mpi=OFF
dpkg -s libopenmpi-dev openmpi-bin >/dev/null 2>&1 && mpi=ON
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DLINPROB_WITH_MPI=$mpi \
  -DLINPROB_BUILD_TESTS=OFF -DLINPROB_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-package -j"$(nproc)"
rm -f build-package/linprob_*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls "$(pwd)"/build-package/linprob_*.deb
