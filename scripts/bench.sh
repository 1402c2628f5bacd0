#!/usr/bin/env bash
# Benchmarks (commands, not timed tests): scripts/bench.sh <name>. Each prints
# its figures on its last line. The names are the scripts in scripts/bench.d/.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
name=${1:-}
if [ -z "$name" ] || [ ! -f "$here/bench.d/$name.sh" ]; then
  echo "usage: scripts/bench.sh <name>; names:" >&2
  for f in "$here"/bench.d/*.sh; do [ -e "$f" ] && echo "  $(basename "$f" .sh)" >&2; done
  exit 2
fi
shift
exec bash "$here/bench.d/$name.sh" "$@"
