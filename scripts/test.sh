#!/usr/bin/env bash
# Runs every test on this machine: installs what is missing, builds, runs CTest
# (the native tests and the tests of the real stub under Wine and Xvfb), then the native
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer (gcc, build-asan),
# then a bounded run of every fuzz target (clang with libFuzzer, build-fuzz).
# QM_FUZZ_SECONDS sets the length of each fuzz run (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" "$@")

# gcc keeps the code page 932 texts that the tests compare; the stubs are not rebuilt.
CC=gcc CXX=g++ cmake -S . -B build-asan -DQM_SANITIZE=ON -DQM_BUILD_STUBS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ctest --output-on-failure -j"$jobs" "$@")

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQM_FUZZ=ON -DQM_BUILD_STUBS=OFF -DQM_BUILD_TESTS=OFF \
  -DQM_FUZZ_SECONDS="${QM_FUZZ_SECONDS:-20}" >/dev/null
cmake --build build-fuzz -j"$jobs"
(cd build-fuzz && ctest --output-on-failure -j"$jobs" "$@")
