#!/usr/bin/env bash
# Fails when any C++ file of the project differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find src tests bench -name '*.cpp' -o -name '*.h' | sort)
[ ${#files[@]} -gt 0 ] || exit 0
clang-format --dry-run --Werror "${files[@]}"
echo "format check: ${#files[@]} files formatted"
