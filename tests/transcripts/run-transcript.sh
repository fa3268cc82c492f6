#!/usr/bin/env bash
# Runs a program on a script, as a person's typed lines from a file, in a fresh working directory
# (so without a HOTKEY.CFG), and compares what it prints on standard output with the expected
# transcript, whole. A script whose first line is "# language: LL" runs in that language; the
# others run untranslated.
#   run-transcript.sh PROGRAM SCRIPT EXPECTED
set -euo pipefail
program=$1
script=$2
expected=$3

language=$(sed -n '1s/^# language: *\([a-z_A-Z]*\).*/\1/p' "$script")
if [ -n "$language" ]; then
  locale=(LC_ALL= LC_MESSAGES= LANG="$language.UTF-8" LANGUAGE="$language")
else
  locale=(LC_ALL=C LANGUAGE=)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
status=0
env "${locale[@]}" "$program" <"$script" >stdout 2>stderr || status=$?
if [ "$status" -ne 0 ]; then
  echo "$(basename "$program") ended with status $status; its standard error:"
  cat stderr
  exit 1
fi
diff -u "$expected" stdout
