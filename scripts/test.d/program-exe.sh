#!/usr/bin/env bash
# Both builds of kovoplugin-setup-web.exe import only Windows' known DLLs,
# never the shader compiler, and carry their manifest, icon and version block.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
exec /usr/bin/python3 "$top/tests/program/check_program_exe.py" \
  x86_64-w64-mingw32-objdump "$top/build/mingw64/web-installer/kovoplugin-setup-web.exe" \
  i686-w64-mingw32-objdump "$top/build/mingw32/web-installer/kovoplugin-setup-web.exe"
