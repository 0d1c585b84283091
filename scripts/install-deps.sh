#!/usr/bin/env bash
# Installs with apt-get whatever the build, the program, the tests and the
# benchmark (sqlite3, its floor) need and this machine lacks. Safe to run
# again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6sql6-sqlite qt6-qpa-plugins
  # The charts of the planning and totals windows (the library comes with it);
  # Qt Charts' CMake files need Qt's OpenGL ones, which its package does not pull in.
  qt6-charts-dev libqt6charts6 libqt6opengl6-dev
  libsqlite3-dev
  libgl-dev
  fonts-noto-cjk qt6-translations-l10n
  fonts-ipaexfont-gothic
  poppler-utils
  # The server book: Qt's PostgreSQL driver, pg_dump and psql, and a private
  # server (with citext) for the tests and the benchmark.
  libqt6sql6-psql postgresql-client postgresql postgresql-contrib
  # The benchmark's floor: the same SQL run by SQLite's own program.
  sqlite3
)
# clang and its runtime (libFuzzer) for tools/fuzz.sh; the build itself
# and the sanitizer run of CI keep g++.
if [[ "${SORVANE_WITH_FUZZ:-0}" == 1 ]]; then
  packages+=(clang libclang-rt-14-dev)
fi
# The Debian package and its checks (scripts/package.sh,
# scripts/test-package.sh): dpkg-shlibdeps, the icon's PNG sizes, lintian,
# the menu entry's and AppStream's validators, and a fresh Debian root.
if [[ "${SORVANE_WITH_PACKAGE:-0}" == 1 ]]; then
  packages+=(dpkg-dev file librsvg2-bin lintian desktop-file-utils appstream debootstrap)
fi
# Optional for looking at windows on a machine without a display.
if [[ "${SORVANE_WITH_XVFB:-0}" == 1 ]]; then
  packages+=(xvfb xauth imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "apt-get needs root: run this as root or install sudo" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
