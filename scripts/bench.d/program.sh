#!/usr/bin/env bash
# The program's size and start-up:
#   exe_kib         stripped size of the shipped i686 kovoplugin-setup-web.exe
#                   (every picture and font inside);
#   imports         number of DLLs in its import table (the delay-loaded
#                   system DLLs are listed in the details, not counted);
#   first_frame_ms  x86_64 twin under Wine with a warm wineserver and the local
#                   update server: from the start of the process to its window
#                   titled "КОВО Плагин" being shown, which the page does in the
#                   frame it first presents (polled with xdotool every 10 ms;
#                   the middle of three start-ups).
#   scripts/bench.sh program
# Details: build/bench/program/. Last line:
#   program exe_kib=<a> imports=<b> first_frame_ms=<c>
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$top"

bash scripts/setup.sh >/dev/null
cmake --preset mingw32 >/dev/null
cmake --build --preset mingw32 -j2 --target kovoplugin-setup-web >/dev/null
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j2 --target kovoplugin-setup-web kovo_stand_in_packages >/dev/null

bench_dir="$top/build/bench/program"
run_dir="$top/build/bench/program-wine"
rm -rf "$bench_dir"
mkdir -p "$bench_dir"

# Size and imports of the shipped exe.
exe32="$top/build/mingw32/web-installer/kovoplugin-setup-web.exe"
i686-w64-mingw32-strip -o "$bench_dir/kovoplugin-setup-web-i686-stripped.exe" "$exe32"
exe_bytes=$(stat -c %s "$bench_dir/kovoplugin-setup-web-i686-stripped.exe")
exe_kib=$(( (exe_bytes + 1023) / 1024 ))
i686-w64-mingw32-objdump -p "$exe32" | sed -n 's/^\s*DLL Name: //p' >"$bench_dir/imports.txt"
imports=$(wc -l <"$bench_dir/imports.txt")
i686-w64-mingw32-size -A "$bench_dir/kovoplugin-setup-web-i686-stripped.exe" >"$bench_dir/sections.txt"
{
  echo "i686 exe: $exe_bytes bytes stripped"
  echo "imports: $(tr '\n' ' ' <"$bench_dir/imports.txt")"
  echo "delay-loaded: $(for d in d3d11.dll dxgi.dll dwmapi.dll; do
    grep -qai "$d" "$exe32" && printf '%s ' "$d"; done)"
} >"$bench_dir/details.txt"

# First frame of the x86_64 exe under Wine.
source scripts/wine/env.sh
server_pid=
xvfb_pid=
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && "$KOVO_WINESERVER" -k >/dev/null 2>&1 || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$run_dir"
}
trap cleanup EXIT

bash scripts/wine/make-pristine-prefix.sh "$run_dir" >/dev/null
export WINEPREFIX="$run_dir/pristine"
export HOME="$run_dir/home/pristine"

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >"$bench_dir/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.05; done
export DISPLAY=":$(tr -dc '0-9' <"$display_file")"
rm -f "$display_file"

bash scripts/update-server.sh 18330 --root "$top/build/mingw64" --log "$bench_dir/update-server.log" \
  --port-file "$bench_dir/update-server.port" --lifetime 600 &
server_pid=$!
for _ in $(seq 100); do [ -s "$bench_dir/update-server.port" ] && break; sleep 0.1; done
[ -s "$bench_dir/update-server.port" ] || { echo "the update server did not start" >&2; exit 1; }

exe64="$top/build/mingw64/web-installer/kovoplugin-setup-web.exe"
title='КОВО Плагин'
times=()
for run in 1 2 3; do
  "$KOVO_WINESERVER" -p
  "$KOVO_WINE" wineboot </dev/null >/dev/null 2>&1
  started=$(date +%s%N)
  "$KOVO_WINE" "$exe64" </dev/null >"$bench_dir/run-$run.out" 2>&1 &
  program_pid=$!
  shown=
  for _ in $(seq 3000); do
    if xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; then
      shown=$(date +%s%N)
      break
    fi
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.01
  done
  "$KOVO_WINESERVER" -k >/dev/null 2>&1 || true
  wait "$program_pid" 2>/dev/null || true
  # The next start must not meet a server that is still going down.
  "$KOVO_WINESERVER" -w >/dev/null 2>&1 || true
  if [ -z "$shown" ]; then
    echo "run $run: no window titled $title (see $bench_dir/run-$run.out)" >>"$bench_dir/details.txt"
    continue
  fi
  ms=$(( (shown - started) / 1000000 ))
  echo "run $run: first frame after $ms ms" >>"$bench_dir/details.txt"
  times+=("$ms")
done
# The middle of the start-ups that showed their window (-1 when none did).
first_frame_ms=-1
if [ "${#times[@]}" -gt 0 ]; then
  first_frame_ms=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (${#times[@]} + 1) / 2 ))p")
fi

cat "$bench_dir/details.txt"
echo "program exe_kib=$exe_kib imports=$imports first_frame_ms=$first_frame_ms"
