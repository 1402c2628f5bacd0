#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (preset "fuzz": AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time from its seed
# corpus. A crash, a sanitizer report or a failed check inside a target fails
# the step; the input that caused it is kept in build/fuzz/runs/<target>/.
#   KOVO_FUZZ_SECONDS  time per target (default 30)
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$top"

seconds=${KOVO_FUZZ_SECONDS:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${KOVO_JOBS:-2}"

runs="$top/build/fuzz/runs"
rm -rf "$runs"
for target in msi_log_fuzzer version_number_fuzzer; do
  work="$runs/$target"
  mkdir -p "$work/corpus"
  # libFuzzer adds what it finds to the corpus folder: work on a copy of the seeds.
  cp "$top/fuzz/corpus/$target/"* "$work/corpus/"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len=8192
           -print_final_stats=1 -artifact_prefix="$work/")
  if [ -f "$top/fuzz/${target%_fuzzer}.dict" ]; then
    options+=(-dict="$top/fuzz/${target%_fuzzer}.dict")
  fi
  echo "== $target for ${seconds}s"
  "$top/build/fuzz/tests/$target" "${options[@]}" "$work/corpus" 2>&1 | tail -n 25
  status=${PIPESTATUS[0]}
  if [ "$status" -ne 0 ]; then
    echo "$target failed (exit $status); inputs in $work" >&2
    exit "$status"
  fi
done
echo "fuzz: no crash in ${seconds}s per target"
