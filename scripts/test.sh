#!/usr/bin/env bash
# Installs what the build needs, then builds and runs every test twice: an optimised gcc build,
# and a clang build with AddressSanitizer and UndefinedBehaviorSanitizer that also runs each
# fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)

cmake -G Ninja -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release
ctest --test-dir build/release --output-on-failure -j"$jobs"
# The Debian package installed on a minimal Debian 12 in a chroot (kept in build/release/clean-install).
tests/package/clean-install.sh build/release "$(scripts/package.sh --build build/release --out build/release)"

cmake -G Ninja -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1" \
  -DCMAKE_CXX_COMPILER=clang++ -DTALLOWMERE_SANITIZE=ON -DTALLOWMERE_FUZZ=ON
cmake --build build/sanitize
ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

# The proof on a real kernel: tallowmere against emulated switches inside a virtual machine
# (tests/vm), with the programs of the optimised build. Fails where the machine cannot run.
TALLOWMERE_VM_BUILD=build/release tests/vm/run.sh
