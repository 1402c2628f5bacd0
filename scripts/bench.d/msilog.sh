#!/usr/bin/env bash
# The install log analysis on a 200 MB synthetic Russian UTF-16LE verbose log
# whose failed action comes near the end. Builds an optimised native binary in
# build/bench/, writes the log into a temporary folder (removed afterwards),
# analyses it in a process of its own and prints on its last line
#   msilog seconds=<analysis time> peak_rss_mb=<peak resident memory of that process>
#   KOVO_MSILOG_MB  size of the log in MiB (default 200)
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$top/build/bench"
megabytes=${KOVO_MSILOG_MB:-200}

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOVO_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target msi_log_bench -j "${KOVO_JOBS:-2}" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tests/msi_log_bench" generate "$work/msi_install.log" "$megabytes"
echo "log: $(( $(stat -c %s "$work/msi_install.log") / 1048576 )) MiB"
result=$("$build/tests/msi_log_bench" analyse "$work")
echo "$result"
seconds=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$result")
peak=$(sed -n 's/.*peak_rss_mb=\([0-9.]*\).*/\1/p' <<<"$result")
echo "msilog seconds=$seconds peak_rss_mb=$peak"
