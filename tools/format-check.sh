#!/usr/bin/env bash
# Fails when a C++ file differs from .clang-format; `tools/format-check.sh --fix` rewrites them.
set -euo pipefail
cd "$(dirname "$0")/.."
fmt=$(command -v clang-format || command -v clang-format-14 || true)
if [ -z "$fmt" ]; then
    echo "format-check: clang-format is not installed (run tools/setup.sh)" >&2
    exit 1
fi
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
[ ${#files[@]} -gt 0 ] || exit 0
if [ "${1:-}" = "--fix" ]; then
    "$fmt" -i "${files[@]}"
else
    "$fmt" --dry-run --Werror "${files[@]}"
fi
