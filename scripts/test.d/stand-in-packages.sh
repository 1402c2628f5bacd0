#!/usr/bin/env bash
# The x86 stand-in packages cannot be installed here: check that they are the
# x64 packages the Wine tests install, built for the other architecture.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
exec /usr/bin/python3 "$top/stand-in/package/check_packages.py" "$top/build/mingw64" "$top/build/mingw32"
