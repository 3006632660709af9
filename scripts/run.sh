#!/usr/bin/env bash
# Builds Corvane and starts the desktop program on its embedded defaults: the application directory is
# the build's program folder, where the database and the rule files are created on first use.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default --target corvane corvane-cli
exec build/default/src/corvane "$@"
