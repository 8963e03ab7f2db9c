#!/usr/bin/env bash
# Sets up, builds and starts the desktop program against the virtual scale on COM1.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh debug

link="${TMPDIR:-/tmp}/keldaro-com1"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
No display here, so the window cannot open. Either run it under a virtual display:
  xvfb-run -a bash scripts/demo.sh
or talk to the virtual scale from the shell:
  build/src/sim/keldaro-sim --link $link &
  build/src/cli/keldaro-cli --port $link identify
  build/src/cli/keldaro-cli --port $link plu read
MSG
  exit 1
fi

build/src/sim/keldaro-sim --link "$link" >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
export KELDARO_COM1="$link"
echo "virtual scale on $link (COM1): press Bağlan, then Terazi'den yükle"
build/src/app/keldaro
