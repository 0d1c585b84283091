#!/usr/bin/env bash
# Builds the Debian package sorvane_<version>_amd64.deb into the top folder
# of the repository: a release build of the program and its tool in
# build-package/, packed by CPack's DEB generator from the install rules
# (packaging/CMakeLists.txt), then checked with lintian, appstreamcli and
# desktop-file-validate. Fails when any of them reports an error.
set -euo pipefail
cd "$(dirname "$0")/.."
SORVANE_WITH_PACKAGE=1 ./scripts/install-deps.sh

# Debian's hardening and optimisation flags, as a package built by
# dpkg-buildpackage would get them. CMake reads no CPPFLAGS.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
# Given on the command line: CMake reads the environment's flags only when
# it first configures a build folder.
CXXFLAGS="$CXXFLAGS $CPPFLAGS"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  "-DCMAKE_CXX_FLAGS=$CXXFLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" \
  -DSORVANE_PACKAGE=ON -DSORVANE_TESTS=OFF -DSORVANE_BENCH=OFF "${launcher[@]}" "$@"
cmake --build build-package -j"$(nproc)"
rm -f build-package/sorvane_*.deb
(cd build-package && cpack -G DEB)
deb=$(cd build-package && ls sorvane_*_amd64.deb)
rm -f sorvane_*_amd64.deb
cp "build-package/$deb" .

# lintian's errors fail the build; its warnings are shown.
lintian --fail-on error --info --display-level ">=warning" "$deb"
appstreamcli validate --no-net packaging/org.sorvane.Sorvane.metainfo.xml
desktop-file-validate packaging/org.sorvane.Sorvane.desktop
echo "Package: $(pwd)/$deb"
dpkg-deb --field "$deb" Package Version Depends Recommends
