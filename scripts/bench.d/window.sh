#!/usr/bin/env bash
# The framework's window under Wine and Xvfb (x86_64 build): time from
# process start to the first presented frame (middle of three start-ups) and
# the CPU an idle 800x700 window uses in polling and in waiting mode.
#   scripts/bench.sh window [idle seconds, default 5]
# Details of every run: build/bench/window/window-bench.txt. Last line:
#   window first_frame_ms=<a> idle_cpu_pct_polling=<b> idle_cpu_pct_waiting=<c>
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$top"
idle_seconds=${1:-5}

bash scripts/setup.sh
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j2 --target window_bench >/dev/null

bench_dir="$top/build/bench/window"
run_dir="$top/build/bench/wine-run"
rm -rf "$bench_dir"
mkdir -p "$bench_dir"
trap 'bash scripts/wine/remove-prefixes.sh "$run_dir" >/dev/null' EXIT

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
export KOVO_WINE_RUN_DIR="$run_dir"
export KOVO_WINE_GROUP=window-bench
export KOVO_WINE_DISPLAY=1
export KOVO_ARTIFACTS_DIR="$bench_dir"
source scripts/wine/env.sh
result_windows="$(kovo_windows_path "$bench_dir")\\window-bench.txt"
bash scripts/wine/run-test.sh "$top/build/mingw64/tests/window_bench.exe" \
  "$result_windows" "$bench_dir" "$idle_seconds" "$(getconf CLK_TCK)"

echo "load average before the runs: $load_before (the figures depend on what else runs)"
cat "$bench_dir/window-bench.txt"
