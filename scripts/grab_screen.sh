#!/usr/bin/env bash
# Saves the whole X screen as a PNG, for the screenshots in docs/:
#   DISPLAY=:N scripts/grab_screen.sh OUT.png
# Under Xvfb a grab of the root window shows Qt's dialogs (message boxes, anything with a
# parent window) as black rectangles, although each window holds its picture. So the root is
# grabbed for the desktop and the window manager's frames, and every mapped client window is
# then grabbed on its own and pasted at its place, bottom to top in the manager's stacking order.
set -euo pipefail
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

xwd -root -silent | xwdtopnm 2>/dev/null >"$work/screen.pnm"
for window in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*#//; s/,//g'); do
  info=$(xwininfo -id "$window")
  grep -q 'Map State: IsViewable' <<<"$info" || continue
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  xwd -id "$window" -silent | xwdtopnm 2>/dev/null >"$work/window.pnm"
  pnmpaste "$work/window.pnm" "$x" "$y" "$work/screen.pnm" >"$work/next.pnm"
  mv "$work/next.pnm" "$work/screen.pnm"
done
pnmtopng "$work/screen.pnm" >"$out"
