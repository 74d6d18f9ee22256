#!/usr/bin/env bash
# Starts the built editor on the given font, or on a scratch copy of the demo font.
set -euo pipefail
build=$1
shift
if [ $# -gt 0 ]; then
  exec "$build/kestrova" "$@"
fi
exec "$build/kestrova"
