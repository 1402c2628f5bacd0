#!/usr/bin/env bash
# Builds the installer (Windows x86_64) and runs it under Wine against the
# local update server with the stand-in plugin packages on 127.0.0.1:18330,
# in a Wine prefix of its own under build/run/.
#   - With $DISPLAY set: the installer opens on your display; install the
#     stand-in plugin by hand (its service and program start from the result
#     page). The run ends when you close the installer.
#   - Without a display: a virtual display and a scripted walk through every
#     page (options, custom components, progress, success, starting the
#     plugin), with a screenshot of each; their paths are printed at the end.
# Everything it started (update server, Xvfb, the prefix's Wine processes) is
# ended before it returns; the prefix stays for its logs until the next run.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"
bash scripts/setup.sh
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 --target kovoplugin-setup-web kovo_stand_in_packages

run_dir="$top/build/run"
mkdir -p "$run_dir"
if [ ! -d "$run_dir/pristine" ]; then
  echo "run: making the Wine prefix (once, about 15 s)"
  bash scripts/wine/make-pristine-prefix.sh "$run_dir" >/dev/null
fi
# /usr/bin/python3: the python3 first on PATH may lack PIL.
walk=(/usr/bin/python3 tests/e2e/walk.py --build "$top/build/mingw64" --run-dir "$run_dir")
if [ -n "${DISPLAY:-}" ]; then
  exec "${walk[@]}" --display "$DISPLAY"
fi
# The scripted walk keeps to a network namespace of its own where the machine
# allows one, so that a test run using the same port is not disturbed.
if unshare -n true 2>/dev/null; then
  exec unshare -n sh -c 'ip link set lo up && exec "$@"' sh "${walk[@]}"
fi
exec "${walk[@]}"
