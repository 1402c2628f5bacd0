#!/usr/bin/env bash
# Runs one end-to-end journey (tests/e2e/journeys.py) in a network namespace
# of its own when this machine allows one: its update server then has the
# installer's fixed port 127.0.0.1:18330 to itself, and journeys run side by
# side. Without namespaces (KOVO_E2E_NETNS=0, or unshare refused) the journey
# runs in the host's network and ctest keeps such journeys apart by a lock.
#   run-journey.sh <journey> --build <build folder> [--run-dir <folder>]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# /usr/bin/python3: the python3 first on PATH may lack PIL.
if [ "${KOVO_E2E_NETNS:-1}" = 1 ] && unshare -n true 2>/dev/null; then
  exec unshare -n sh -c 'ip link set lo up && exec /usr/bin/python3 "$0" "$@"' "$here/journeys.py" "$@"
fi
exec /usr/bin/python3 "$here/journeys.py" "$@"
