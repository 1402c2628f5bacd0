#!/usr/bin/env bash
# Builds the installer and runs it under Wine against a local update server.
# The program's window does not exist yet: for now this builds all three
# flavours (native, Windows x86_64, Windows i686) and says so.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"
bash scripts/setup.sh
for preset in native mingw64 mingw32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "Built build/native, build/mingw64 and build/mingw32."
echo "The installer program itself is not part of the tree yet; nothing to run."
