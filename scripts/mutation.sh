#!/usr/bin/env bash
# Mutation run over the program's own code (switch/ hid/ usb/ app/ prefs/ framework/): each small
# change made to a copy of the sources in build/mutation must make a fast test fail. A tool for
# developers, not part of the test command. Examples:
#   scripts/mutation.sh                      # 200 mutants, seed 1
#   scripts/mutation.sh --seed 7 --count 50
#   scripts/mutation.sh --all                # every mutant (long)
#   scripts/mutation.sh --only hid/HIDParseReport.cpp:40
#   scripts/mutation.sh --all --list         # list the mutants, run none
# See docs/testing.md.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 tools/mutation/mutate.py "$@"
