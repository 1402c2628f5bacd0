#!/usr/bin/env bash
# Drives the shell's folder dialog from the X side, as a user would: waits for
# it, moves the pointer in (focus follows the pointer without a window
# manager), takes a screenshot, then types a folder name and presses Enter, or
# presses Escape. Started from inside the Wine test; the exit code does not
# reach it reliably, so the outcome goes to <status file>.
#   folder_picker_driver.sh <status file> <screenshot.png> choose <name>
#   folder_picker_driver.sh <status file> <screenshot.png> cancel
set -uo pipefail
status_file=$1 screenshot=$2 action=$3 name=${4:-}

finish() {
  printf '%s\n' "$1" >"$status_file.part"
  mv "$status_file.part" "$status_file"
  exit 0
}

# A dialog of an earlier run may still be on its way out: only a window not
# answered before counts.
answered="$(dirname "$status_file")/answered-windows.txt"
touch "$answered"
window=
for _ in $(seq 100); do
  for candidate in $(xdotool search --onlyvisible --name '^Select Folder$' 2>/dev/null); do
    grep -qx "$candidate" "$answered" || { window=$candidate; break 2; }
  done
  sleep 0.3
done
[ -n "$window" ] || finish "no dialog window appeared"
echo "$window" >>"$answered"
xdotool mousemove --window "$window" 300 150
# The folder view fills in after the window appears.
sleep 1.5
import -display "$DISPLAY" -window root "$screenshot" || finish "screenshot failed"

case $action in
  choose)
    xdotool type --delay 40 "$name"
    sleep 0.3
    xdotool key Return
    ;;
  cancel)
    xdotool key Escape
    ;;
  *)
    finish "unknown action $action"
    ;;
esac
finish "ok"
