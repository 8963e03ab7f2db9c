#!/usr/bin/env bash
# Sets up, builds and starts the desktop program against the virtual scale on COM1.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh debug

link="${TMPDIR:-/tmp}/keldaro-com1"
build/src/sim/keldaro-sim --link "$link" >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
export KELDARO_COM1="$link"
echo "virtual scale on $link (COM1); press Bağlan in the window to connect"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display here. Run the window under a virtual display:" >&2
  echo "  xvfb-run -a bash scripts/demo.sh" >&2
  echo "or talk to the virtual scale from the shell:" >&2
  echo "  KELDARO_COM1=$link build/src/cli/keldaro-cli identify" >&2
  echo "  KELDARO_COM1=$link build/src/cli/keldaro-cli plu read" >&2
  exit 1
fi
build/src/app/keldaro
