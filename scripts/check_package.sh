#!/usr/bin/env bash
# Checks the Debian package scripts/package.sh made: its control fields, the programs run from
# a scratch unpacking of it, lintian finds no error, and the desktop entry and the AppStream
# metainfo pass their validators.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=$(ls build-release/keldaro-utility_*.deb)
version=$(sed -n 's/^project(keldaro-utility VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

dpkg-deb --field "$deb" Package Version Depends | sed 's/^/  /'
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ]
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6

dpkg -x "$deb" "$root"
[ "$("$root/usr/bin/keldaro-cli" --version)" = "keldaro-cli $version" ]
[ "$("$root/usr/bin/keldaro" --version)" = "keldaro $version" ]
[ "$("$root/usr/bin/keldaro-sim" --version)" = "keldaro-sim $version" ]
"$root/usr/bin/keldaro-sim" --help | grep -q "^Usage: keldaro-sim"
for page in keldaro keldaro-cli keldaro-sim; do
  [ -s "$root/usr/share/man/man1/$page.1.gz" ]
done
desktop-file-validate "$root/usr/share/applications/io.keldaro.Utility.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/io.keldaro.Utility.metainfo.xml" >/dev/null

# Errors fail the check; warnings are printed for the record.
report=$(lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1) || { echo "$report"; exit 1; }
echo "$report" | grep -v "running with root privileges" || true
echo "package: $(basename "$deb") checked"
