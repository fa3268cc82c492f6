#!/usr/bin/env bash
# A fuzzing campaign: builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build/fuzzcamp and runs each target in turn, one at a time, for
# the given time, starting from its committed seeds in tests/fuzz/corpus/NAME. What a target finds
# stays in build/fuzzcamp/campaign/NAME (its grown corpus, and crash-* inputs); nothing is written
# into the source tree. Ends with one line per target (also added to
# build/fuzzcamp/campaign/summary.txt): executions, coverage, corpus, findings.
#   scripts/fuzz-campaign.sh [seconds per target, default 600] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
build=build/fuzzcamp
all_targets=(parse_info switch_reply hotkey_file nib_reader icns_reader translations uevent
             report_descriptor ctl_command_line switch_properties)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

if [ ! -f "$build/build.ninja" ]; then
  cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1" \
    -DCMAKE_CXX_COMPILER=clang++ -DTALLOWMERE_SANITIZE=ON -DTALLOWMERE_FUZZ=ON >/dev/null
fi
nice -n 10 cmake --build "$build" -j2 --target "${targets[@]}"

campaign=$build/campaign
summary=$campaign/summary.txt
mkdir -p "$campaign"
echo "campaign of $(date -u '+%Y-%m-%d %H:%M UTC'), ${seconds}s per target" >>"$summary"
for target in "${targets[@]}"; do
  dir=$campaign/$target
  mkdir -p "$dir/corpus"
  log=$dir/log.txt
  seeds=tests/fuzz/corpus/$target
  [ -d "$seeds" ] || seeds=tests/scripting/corpus/$target
  started=$(date +%s)
  # One job on one core; a crash ends the run and leaves its input as crash-* in $dir.
  # gettext keeps every catalogue the translations target reads until the process ends, so that
  # target runs in slices of a bounded number of inputs, each going on from the corpus so far.
  slice=()
  [ "$target" = translations ] && slice=(-runs=20000)
  : >"$log"
  while :; do
    left=$((seconds - ($(date +%s) - started)))
    [ "$left" -gt 0 ] || break
    nice -n 10 "$build/bin/$target" -max_total_time="$left" -rss_limit_mb=2048 "${slice[@]}" \
      -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" "$seeds" \
      >>"$log" 2>&1 || true
    [ ${#slice[@]} -gt 0 ] && ! ls "$dir"/crash-* "$dir"/leak-* >/dev/null 2>&1 || break
  done
  took=$(($(date +%s) - started))
  execs=$(awk '/stat::number_of_executed_units/ { n += $2 } END { print n }' "$log")
  last=$(grep -E '^#[0-9]+' "$log" | tail -n1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  # The corpus libFuzzer ended with (seeds and new inputs, minimised), and the new inputs kept.
  corpus=$(sed -n 's/.* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' <<<"$last")
  kept=$(find "$dir/corpus" -type f | wc -l)
  findings=$(find "$dir" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' \
    -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  printf '%-18s %5ss %12s execs  cov %5s  ft %6s  corpus %9s  new %5s  findings %s\n' \
    "$target" "$took" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${corpus:-?}" "$kept" "$findings" |
    tee -a "$summary"
done
echo "campaign summary: $summary (logs and findings in $campaign/NAME/)"
