#!/usr/bin/env bash
# Download benchmark: serves a 512 MiB file on 127.0.0.1 and downloads it with
# the installer's own download, natively and alternately with curl (best of
# three each), then once with the x86_64 build under Wine. The downloaders
# are kovo_download_tool of the native and mingw64 builds (built here if
# needed). Peak memory is the peak resident set of the downloading process
# (for Wine: the Wine process that runs the tool).
# Last line:
#   download throughput_ratio_vs_curl=<x> peak_rss_mb_native=<y> peak_rss_mb_wine=<z>
# Targets: ratio >= 0.9, each peak <= 40 MB.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$top"
source scripts/wine/env.sh

size_mb=${KOVO_BENCH_DOWNLOAD_MB:-512}
jobs=${KOVO_JOBS:-2}

for preset in native mingw64; do
  [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" --target kovo_download_tool >/dev/null
done
native_tool="$top/build/native/tests/kovo_download_tool"
wine_tool="$top/build/mingw64/tests/kovo_download_tool.exe"

work=$(mktemp -d /tmp/kovo-bench-download-XXXXXX)
wine_run="$top/build/bench/download-wine"
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [ -d "$wine_run/prefix" ]; then
    WINEPREFIX="$wine_run/prefix" "$KOVO_WINESERVER" -k >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# A sparse file: the server's sendfile then reads no disk, so the figures
# measure the downloaders rather than the disk under the served file.
truncate -s "${size_mb}M" "$work/package.bin"
/usr/bin/python3 tests/support/http_test_server.py --root "$work" --port-file "$work/port" &
server_pid=$!
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.05; done
port=$(cat "$work/port")

# A Wine prefix of the benchmark's own, warm before the measured run.
if [ ! -d "$wine_run/pristine" ]; then
  bash scripts/wine/make-pristine-prefix.sh "$wine_run" >/dev/null
fi
rm -rf "$wine_run/prefix"
cp -a --reflink=auto "$wine_run/pristine" "$wine_run/prefix"
export WINEPREFIX="$wine_run/prefix"
export HOME="$wine_run/home/pristine"
"$KOVO_WINESERVER" -p
"$KOVO_WINE" wineboot </dev/null >/dev/null 2>&1

/usr/bin/python3 - "$port" "$work" "$native_tool" "$wine_tool" "$KOVO_WINE" "$size_mb" <<'PY'
import os
import subprocess
import sys
import time

port, work, native_tool, wine_tool, wine, size_mb = sys.argv[1:7]
url_path = "/file/package.bin"
url = "http://127.0.0.1:%s%s" % (port, url_path)
expected = int(size_mb) << 20


def run(command, output):
    """Runs one download; returns (seconds, peak resident MB of the process).

    GNU time measures: a child forked from Python would carry Python's own
    resident pages into its peak until it execs, one forked from time only
    time's few."""
    if os.path.exists(output):
        os.remove(output)
    peak_file = os.path.join(work, "peak")
    started = time.monotonic()
    finished = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak_file] + command,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seconds = time.monotonic() - started
    if finished.returncode != 0 or os.path.getsize(output) != expected:
        sys.exit("download failed: %s\n%s" % (" ".join(command), finished.stderr.decode(errors="replace")))
    os.remove(output)
    with open(peak_file) as f:
        peak_kb = int(f.read().split()[-1])
    return seconds, peak_kb / 1024.0


native_out = os.path.join(work, "native.bin")
curl_out = os.path.join(work, "curl.bin")
wine_out = os.path.join(work, "wine.bin")
curl_runs, native_runs = [], []
for _ in range(3):
    curl_runs.append(run(["curl", "-s", "-o", curl_out, url], curl_out))
    native_runs.append(run([native_tool, "127.0.0.1", port, url_path, native_out], native_out))
wine_windows_out = "Z:" + wine_out.replace("/", "\\")
wine_run = run([wine, wine_tool, "127.0.0.1", port, url_path, wine_windows_out], wine_out)

curl_best = min(seconds for seconds, _ in curl_runs)
native_best = min(seconds for seconds, _ in native_runs)
native_peak = max(peak for _, peak in native_runs)
mib = expected / float(1 << 20)
print("curl:   best %.3f s  %.0f MiB/s  (runs: %s)" % (curl_best, mib / curl_best,
                                                     ", ".join("%.3f" % s for s, _ in curl_runs)))
print("native: best %.3f s  %.0f MiB/s  peak %.1f MB  (runs: %s)" % (
    native_best, mib / native_best, native_peak, ", ".join("%.3f" % s for s, _ in native_runs)))
print("wine:   %.3f s  %.0f MiB/s  peak %.1f MB  (process start included)" % (
    wine_run[0], mib / wine_run[0], wine_run[1]))
print("download throughput_ratio_vs_curl=%.2f peak_rss_mb_native=%.1f peak_rss_mb_wine=%.1f" % (
    curl_best / native_best, native_peak, wine_run[1]))
PY
