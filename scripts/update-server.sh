#!/usr/bin/env bash
# The local update server for tests, benchmarks and the demo:
#   scripts/update-server.sh <port> [--version <text>] [--arch x64|x86] [--root <build folder>]
#                            [--port-file <file>] [--pid-file <file>] [--log <file>] [--lifetime <seconds>]
#                            [--rate <bytes per second>]
# Serves, on 127.0.0.1:<port> only, /Kovo3Plugin/master/win32/version.txt and
# the three stand-in packages at their server paths from
# <build folder>/stand-in/update-server (default build/mingw64 for x64,
# build/mingw32 for x86). Port 0 picks a free port (see --port-file). Runs in
# the foreground until it gets SIGTERM or SIGINT; this script's process is
# the server's, so its PID stops it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# /usr/bin/python3: the python3 first on PATH may be another build.
exec /usr/bin/python3 "$here/update-server.py" --repo "$(dirname "$here")" "$@"
