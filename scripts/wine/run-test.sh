#!/usr/bin/env bash
# Runs one Windows program (a test executable, a tool) under wine64 in a
# prefix of its own: a copy of the run's pristine prefix, an own HOME, and an
# own Xvfb display when KOVO_WINE_DISPLAY=1. Only what this script started is
# ended afterwards: the prefix's wineserver and the Xvfb process by its PID.
#
# Environment (set by ctest, all optional when run by hand):
#   KOVO_WINE_RUN_DIR   folder with the pristine prefix (made if missing)
#   KOVO_WINE_GROUP     name of the prefix copy (default: the program's name)
#   KOVO_WINE_DISPLAY   1 to start Xvfb
#   KOVO_ARTIFACTS_DIR  host folder for logs and screenshots
#   KOVO_KEEP_PREFIXES  1 to keep the prefix copy afterwards
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/env.sh"

program=${1:?usage: run-test.sh <program.exe> [arguments]}
shift
group=${KOVO_WINE_GROUP:-$(basename "$program" .exe)}
run_dir=${KOVO_WINE_RUN_DIR:-${TMPDIR:-/tmp}/kovo-wine-run}
mkdir -p "$run_dir"
run_dir="$(cd "$run_dir" && pwd)"
artifacts=${KOVO_ARTIFACTS_DIR:-$run_dir/artifacts/$group}
mkdir -p "$artifacts"

if [ ! -d "$run_dir/pristine" ]; then
  (
    flock 9
    [ -d "$run_dir/pristine" ] || bash "$here/make-pristine-prefix.sh" "$run_dir" >/dev/null
  ) 9>"$run_dir/.pristine.lock"
fi

prefix="$run_dir/prefixes/$group"
rm -rf "$prefix"
mkdir -p "$run_dir/prefixes"
cp -a --reflink=auto "$run_dir/pristine" "$prefix"
export WINEPREFIX="$prefix"
export HOME="$run_dir/home/$group"
mkdir -p "$HOME"

xvfb_pid=
cleanup() {
  "$KOVO_WINESERVER" -k >/dev/null 2>&1
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  if [ "${KOVO_KEEP_PREFIXES:-0}" != 1 ]; then
    rm -rf "$prefix" "$HOME"
  fi
}
trap cleanup EXIT

if [ "${KOVO_WINE_DISPLAY:-0}" = 1 ]; then
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >"$artifacts/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.05
  done
  display_number=$(tr -dc '0-9' <"$display_file")
  rm -f "$display_file"
  if [ -z "$display_number" ]; then
    echo "run-test: Xvfb did not start (see $artifacts/xvfb.log)" >&2
    exit 125
  fi
  export DISPLAY=":$display_number"
  export KOVO_DISPLAY="$DISPLAY"
else
  unset DISPLAY
fi

# Tests see host folders both ways: Windows form for their own file access,
# host form for host programs they start (servers, xdotool, import).
export KOVO_ARTIFACTS_DIR_UNIX="$artifacts"
export KOVO_ARTIFACTS_DIR="$(kovo_windows_path "$artifacts")"
for var in KOVO_SOURCE_DIR KOVO_BUILD_DIR; do
  if [ -n "${!var:-}" ]; then
    export "${var}_UNIX=${!var}"
    export "$var=$(kovo_windows_path "${!var}")"
  fi
done
export KOVO_WINEPREFIX_UNIX="$prefix"

# A warm server, and the prefix's own service processes started with their
# output sent away: otherwise they inherit ctest's pipe and hold it open.
"$KOVO_WINESERVER" -p
"$KOVO_WINE" wineboot </dev/null >/dev/null 2>&1

"$KOVO_WINE" "$program" "$@"
exit $?
