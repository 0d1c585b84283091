#!/usr/bin/env bash
# Installs what is missing, builds, prepares the data folder beside the
# program (existing data are kept) and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
./build/bin/sorvane-admin init
exec ./build/bin/sorvane
