#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the demo need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  # Qt SQL's SQLite and PostgreSQL drivers, loaded at run time by the fleet database, and the
  # PostgreSQL server the fleet tests start for themselves (tests/support/postgres_server.sh)
  libqt6sql6-sqlite libqt6sql6-psql postgresql-15
  # Qt's own dialog texts in Turkish (and the other languages Debian ships)
  qt6-translations-l10n
  libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev libserialport-dev
  clang-14 libclang-rt-14-dev clang-format-14
  xvfb xauth fonts-dejavu-core fonts-baekmuk
  dpkg-dev help2man lintian desktop-file-utils appstream
  # screenshots of the windows in docs/: a window manager (under Xvfb, openbox left windows
  # opened later black), a driver for it, a grab (scripts/grab_screen.sh) and its PNG
  fluxbox xdotool x11-apps x11-utils netpbm
  # a serial line carried over TCP (raw and RFC 2217), for the network port tests and benchmark
  ser2net
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
