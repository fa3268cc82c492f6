#!/usr/bin/env bash
# The manual pages render without a warning (mandoc's lint, groff's warnings, man), the
# completions load in bash, zsh and fish and complete tallowmerectl's words, and
# `cmake --install` puts tallowmerectl's files where the system looks for them.
# Usage: manuals_and_completions.sh SOURCE_DIR BUILD_DIR SCRATCH_DIR
set -uo pipefail
source_dir=$1 build_dir=$2 scratch=$3
man_dir=$source_dir/resources/man
completions=$source_dir/resources/completions
failed=0
fail() { echo "FAILED: $*"; failed=1; }

for tool in mandoc groff man bash zsh fish; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
done
[ $failed = 0 ] || exit 1

for page in "$man_dir"/*.1; do
  out=$(mandoc -T lint "$page" 2>&1) || fail "mandoc -T lint $page: $out"
  [ -z "$out" ] || fail "mandoc -T lint $page: $out"
  out=$(groff -ww -man -Tutf8 -z "$page" 2>&1)
  [ -z "$out" ] || fail "groff -ww $page: $out"
  out=$(MANWIDTH=80 man -l "$page" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "man -l $page: $out"
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^NAME" || fail "man -l $page shows no NAME"
done

out=$(bash -c 'source "$1"
  COMP_WORDS=(tallowmerectl au); COMP_CWORD=1; _tallowmerectl; echo "${COMPREPLY[*]}"
  COMP_WORDS=(tallowmerectl autoscan ""); COMP_CWORD=2; _tallowmerectl; echo "${COMPREPLY[*]}"
  COMP_WORDS=(tallowmerectl status -); COMP_CWORD=2; _tallowmerectl; echo "${COMPREPLY[*]}"
  complete -p tallowmerectl' _ "$completions/tallowmerectl.bash" 2>&1)
[ "$out" = $'autoscan\non off toggle\n--json\ncomplete -F _tallowmerectl tallowmerectl' ] ||
  fail "bash completion: $out"

out=$(zsh -f -c 'autoload -Uz compinit && compinit -u -D; source "$1"; print -r -- $_comps[tallowmerectl]' _ "$completions/_tallowmerectl" 2>&1)
[ "$out" = _tallowmerectl ] || fail "zsh completion: $out"

out=$(fish --no-config -c 'source $argv[1]; complete -C "tallowmerectl autoscan "; complete -C "tallowmerectl pre"' "$completions/tallowmerectl.fish" 2>&1)
[ "$out" = $'off\non\ntoggle\npreferences\tOpen the Preferences window\nprevious\tSwitch to the previous port that can be selected' ] ||
  fail "fish completion: $out"

rm -rf "$scratch"
if cmake --install "$build_dir" --prefix "$scratch" >"$scratch.log" 2>&1; then
  for file in bin/tallowmerectl share/man/man1/tallowmere.1 share/man/man1/tallowmerectl.1 \
      share/man/man1/tallowmere-desktop.1 share/bash-completion/completions/tallowmerectl \
      share/zsh/vendor-completions/_tallowmerectl \
      share/fish/vendor_completions.d/tallowmerectl.fish \
      share/dbus-1/interfaces/org.tallowmere.Switch1.xml; do
    [ -e "$scratch/$file" ] || fail "not installed: $file"
  done
  [ "$(readlink "$scratch/share/man/man1/tallowmere-desktop.1")" = tallowmere.1 ] ||
    fail "tallowmere-desktop.1 is not a link to tallowmere.1"
  "$scratch/bin/tallowmerectl" --version | grep -qx "tallowmerectl [0-9.]*" ||
    fail "the installed tallowmerectl --version"
else
  fail "cmake --install: $(tail -3 "$scratch.log")"
fi
rm -rf "$scratch" "$scratch.log"

[ $failed = 0 ] && echo "manual pages, completions and installed files: all right"
exit $failed
