#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ and runs every test there, the fuzz targets once over their
# seed corpora included. Any report of a sanitizer fails the test it came
# from. Optimised lightly and with line tables only: the build is there to
# find faults, and it has to fit the CI's time.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build-asan -G Ninja -DSORVANE_SANITIZE=ON -DSORVANE_BENCH=OFF -DSORVANE_WERROR=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" "$@"
cmake --build build-asan -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
# The book's rules run a second time against a PostgreSQL server in the
# normal build; here they run once, on a file, to keep the CI's time. Set
# SORVANE_SANITIZE_SERVER=1 to run the server variants here too.
exclude=(-E '_server$')
if [[ "${SORVANE_SANITIZE_SERVER:-0}" == 1 ]]; then
  exclude=()
fi
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" "${exclude[@]}"
