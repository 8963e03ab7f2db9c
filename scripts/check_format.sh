#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format 14 makes of it (the tree's .clang-format).
# Run `git ls-files '*.cpp' '*.h' | xargs clang-format-14 -i` to format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
