#!/usr/bin/env bash
# Builds the Debian package of Korvid in build-package (a release build
# without tests) and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# dpkg-shlibdeps works out the package's dependencies.
if ! command -v dpkg-shlibdeps >/dev/null; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends dpkg-dev
fi
# Warnings stay warnings here: GCC 12 at -O3 reports false alarms that the
# test build (-O2, warnings as errors) does not.
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKORVID_BUILD_TESTS=OFF -DKORVID_BUILD_BENCH=OFF -DKORVID_WERROR=OFF >/dev/null
cmake --build build-package -j"$(nproc)" --target korvid korvid_manual
rm -f build-package/korvid_*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls "$PWD"/build-package/korvid_*.deb
