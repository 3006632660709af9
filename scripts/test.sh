#!/usr/bin/env bash
# Builds Corvane with warnings as errors and runs every test (formatting check included).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
ctest --preset default "$@"
