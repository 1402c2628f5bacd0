#!/usr/bin/env bash
# Removes the prefixes of one test run (logs and artifacts stay).
set -euo pipefail
run_dir=${1:?usage: remove-prefixes.sh <run-dir>}
if [ "${KOVO_KEEP_PREFIXES:-0}" = 1 ]; then
  echo "keeping prefixes in $run_dir (KOVO_KEEP_PREFIXES=1)"
  exit 0
fi
rm -rf "$run_dir/pristine" "$run_dir/prefixes" "$run_dir/home"
