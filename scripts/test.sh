#!/usr/bin/env bash
# Builds Korvid with warnings as errors and the address and undefined-behaviour
# sanitizers, then runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVID_WERROR=ON -DKORVID_SANITIZE=ON -DKORVID_BUILD_BENCH=OFF
cmake --build build-test -j"$(nproc)"
# A test that hangs fails after five minutes instead of holding up the run.
# setup.sh installed every tool the tests use: a missing one is a failure,
# not a skip. The real camcorder frames count only when
# KORVID_REAL_FIXTURES names them.
KORVID_STRICT_TESTS=1 ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-test --output-on-failure --timeout 300 -j"$(nproc)"
