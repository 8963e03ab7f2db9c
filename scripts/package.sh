#!/usr/bin/env bash
# Builds the Debian package from the release build: build-release/keldaro-utility_<version>_<arch>.deb.
# Install it with: sudo apt install ./build-release/keldaro-utility_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh >/dev/null
bash scripts/build.sh release
rm -f build-release/keldaro-utility_*.deb
(cd build-release && cpack -G DEB >/dev/null)
ls build-release/keldaro-utility_*.deb
