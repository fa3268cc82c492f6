#!/usr/bin/env bash
# Installs what the build needs, builds, and starts tallowmere-sim: the program over a simulated
# switch, with the console front. Standard input is passed through, so it can be a terminal, a
# file or a pipe.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >&2
cmake -G Ninja -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target tallowmere-sim >/dev/null
exec build/release/bin/tallowmere-sim "$@"
