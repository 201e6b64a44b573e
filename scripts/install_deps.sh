#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing:
# libcli11-dev for the command line, help2man for the man page and dpkg-dev
# (dpkg-shlibdeps) for the Depends of the Debian package.
set -euo pipefail
packages=(cmake make g++ libboost-dev libgtest-dev libbenchmark-dev
          libcli11-dev help2man dpkg-dev)
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
