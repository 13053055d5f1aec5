#!/usr/bin/env bash
# Runs every test on this machine: installs what is missing, builds, runs CTest
# (the native tests and the tests of the real stub under Wine and Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)"
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
