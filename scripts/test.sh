#!/usr/bin/env bash
# Runs every test of the project from whatever state the checkout is in:
# prepares the machine, builds all flavours and runs
#   native tests, the same under AddressSanitizer + UBSan, the threaded tests
#   under ThreadSanitizer, the Windows tests under wine64, and the 32-bit
#   Windows build (compile and link only).
# Logs of each step: build/test-logs/<step>.log. Artifacts of the Wine tests
# (program logs, screenshots): build/mingw64/test-artifacts/<test>/.
set -uo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"

bash scripts/setup.sh

jobs=${KOVO_JOBS:-$(nproc)}
logs="$top/build/test-logs"
mkdir -p "$logs"
failed=()
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

step() {
  local name=$1
  shift
  local started=$SECONDS
  printf '== %-28s' "$name"
  if "$@" >"$logs/$name.log" 2>&1; then
    printf 'ok      (%ss)\n' $((SECONDS - started))
  else
    printf 'FAILED  (%ss) -> %s\n' $((SECONDS - started)) "$logs/$name.log"
    tail -n 40 "$logs/$name.log" | sed 's/^/   | /'
    failed+=("$name")
  fi
}

build() {
  cmake --preset "$1" && cmake --build --preset "$1" -j "$jobs"
}

run_ctest() {
  local preset=$1
  shift
  ctest --preset "$preset" -j "$jobs" --timeout 900 "$@"
}

step native-build build native
step native-tests run_ctest native
step asan-build build native-asan
step asan-tests run_ctest native-asan
step tsan-build build native-tsan
step tsan-tests run_ctest native-tsan
step mingw64-build build mingw64
step wine-tests run_ctest mingw64
step mingw32-build build mingw32

for extra in scripts/test.d/*.sh; do
  [ -e "$extra" ] || continue
  step "$(basename "$extra" .sh)" bash "$extra"
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all tests passed"
