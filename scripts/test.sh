#!/usr/bin/env bash
# Sets up, builds and runs every test: the format check, the debug build with its main suite and
# its wall-clock timing tests, the sanitizer build, the release build (programs, tests and
# benchmarks) with the Debian package made from it and checked, and a replay of the fuzz corpus.
# Exits non-zero at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "== source format"
bash scripts/check_format.sh

echo "== debug build and tests"
bash scripts/build.sh debug
ctest --test-dir build --output-on-failure -j 2 -LE timing | tee -a "$log"

echo "== timing tests (wall clock, run on their own)"
ctest --test-dir build --output-on-failure -L timing | tee -a "$log"

echo "== sanitizer build and tests (address, undefined)"
bash scripts/build.sh sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j 2 -LE timing | tee -a "$log"

echo "== release build (programs, tests, benchmarks) and the Debian package"
bash scripts/package.sh
bash scripts/check_package.sh

echo "== fuzz corpus replay"
bash scripts/build.sh fuzz
build-fuzz/fuzz/fuzz_reply -runs=0 fuzz/corpus/reply
build-fuzz/fuzz/fuzz_plu_file -runs=0 fuzz/corpus/plu_file
build-fuzz/fuzz/fuzz_csv_import -runs=0 fuzz/corpus/csv_import
build-fuzz/fuzz/fuzz_config_file -runs=0 fuzz/corpus/config_file
build-fuzz/fuzz/fuzz_settings_file -runs=0 fuzz/corpus/settings_file
build-fuzz/fuzz/fuzz_metrology_file -runs=0 fuzz/corpus/metrology_file
build-fuzz/fuzz/fuzz_report -runs=0 fuzz/corpus/report
build-fuzz/fuzz/fuzz_telnet -runs=0 fuzz/corpus/telnet

# One closing line over the test runs (ctest has stopped the script already on a failure).
total=$(grep -oE 'tests failed out of [0-9]+' "$log" | awk '{s += $5} END {print s + 0}')
echo "summary: $total passed, 0 failed"
