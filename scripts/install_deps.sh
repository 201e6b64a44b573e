#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is
# missing: librandom123-dev for the sampling streams, libcli11-dev for the
# command line, libflint-dev and libflint-arb-dev (on libgmp-dev) for the
# certified and exact references, the variance shares and the continuous
# truth, nlohmann-json3-dev and libjs-chart.js for the report
# (compiled into the program), libnetcdf-dev for Report/results.nc, libopenmpi-dev and openmpi-bin for runs
# shared between processes (mpirun), help2man for the man page, dpkg-dev
# (dpkg-shlibdeps) for the Depends of the Debian package, and for the tests
# chromium (the report in a real browser), python3-pandas (the report's
# CSV files as pandas reads them), python3-xarray with python3-netcdf4
# (results.nc as xarray opens it) and python3-mpmath with python3-numpy (the
# references checked at 300 digits, the shares and the truth at 50);
# pybind11-dev with python3-dev for the Python package (python/), and
# python3-tqdm (its progress bar), python3-pytest (its tests) and
# python3-matplotlib (the quickstart, docs/examples/quickstart.py).
set -euo pipefail
packages=(cmake make g++ libboost-dev libgtest-dev libbenchmark-dev
          librandom123-dev libcli11-dev nlohmann-json3-dev libjs-chart.js
          libnetcdf-dev
          libflint-dev libflint-arb-dev libgmp-dev
          libopenmpi-dev openmpi-bin help2man dpkg-dev python3 python3-pandas
          python3-mpmath python3-numpy python3-xarray python3-netcdf4 chromium
          pybind11-dev python3-dev python3-tqdm python3-pytest python3-matplotlib)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
