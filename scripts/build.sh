#!/usr/bin/env bash
# Builds into one folder per configuration, incrementally:
#   scripts/build.sh            -> build/        (debug, with the GUI)
#   scripts/build.sh release    -> build-release/ (optimised: programs, man pages, tests and
#                                                  benchmarks; the package is made from it)
#   scripts/build.sh sanitize   -> build-asan/   (address + undefined behaviour sanitizers)
#   scripts/build.sh fuzz       -> build-fuzz/   (clang, libFuzzer targets)
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
# Developers and CI build with warnings as errors; ccache, when present, makes rebuilds after a
# branch switch or in a second work tree cheap.
common=(-G Ninja -DKELDARO_WERROR=ON)
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  common+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
case "${1:-debug}" in
  debug)
    cmake -S . -B build "${common[@]}" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build build -j "$jobs" ;;
  release)
    cmake -S . -B build-release "${common[@]}" -DCMAKE_BUILD_TYPE=Release -DKELDARO_MANPAGES=ON \
      >/dev/null
    cmake --build build-release -j "$jobs" ;;
  sanitize)
    cmake -S . -B build-asan "${common[@]}" -DCMAKE_BUILD_TYPE=Debug -DKELDARO_SANITIZE=ON >/dev/null
    cmake --build build-asan -j "$jobs" ;;
  fuzz)
    cmake -S . -B build-fuzz "${common[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELDARO_GUI=OFF \
      -DBUILD_TESTING=OFF -DKELDARO_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
    cmake --build build-fuzz -j "$jobs" --target fuzz_reply fuzz_plu_file fuzz_config_file \
      fuzz_settings_file fuzz_metrology_file fuzz_report fuzz_csv_import fuzz_telnet ;;
  *)
    echo "usage: scripts/build.sh [debug|release|sanitize|fuzz]" >&2
    exit 2 ;;
esac
