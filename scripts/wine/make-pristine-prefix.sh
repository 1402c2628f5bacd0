#!/usr/bin/env bash
# Creates the pristine Wine prefix of one test run: <run-dir>/pristine.
# Test groups copy it (scripts/wine/run-test.sh) instead of booting their own.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/env.sh"

run_dir=${1:?usage: make-pristine-prefix.sh <run-dir>}
mkdir -p "$run_dir"
run_dir="$(cd "$run_dir" && pwd)"
rm -rf "$run_dir/pristine" "$run_dir/prefixes" "$run_dir/home"
mkdir -p "$run_dir/home/pristine" "$run_dir/prefixes"

# While a prefix boots, Wine links the user's shell folders into $HOME: point
# HOME at a scratch folder so nothing of the real home is touched.
export HOME="$run_dir/home/pristine"
export WINEPREFIX="$run_dir/pristine"
"$KOVO_WINE" wineboot -i </dev/null >"$run_dir/pristine-boot.log" 2>&1
"$KOVO_WINESERVER" -w

# Real folders instead of links to the scratch home: each copy of the prefix
# then has a desktop of its own, where an install's shortcuts can be checked.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm "$link"
    mkdir -p "$link"
  fi
done
echo "pristine prefix ready: $WINEPREFIX"
