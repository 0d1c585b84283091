#!/usr/bin/env bash
# Configures and builds everything into build/ (the program lands in build/bin).
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/install-deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build -j"$(nproc)"
