#!/usr/bin/env bash
# Starts the built editor on the given font, or on the demo font in a scratch directory of the
# build, so that playing with the demo never changes the repository.
# Usage: run-editor.sh BUILD_DIR [FONT [CHARACTER]]
set -euo pipefail
build=$1
shift
editor=$(cd "$build" && pwd)/kestrova
if [ $# -gt 0 ]; then
  exec "$editor" "$@"
fi

# The include file is named after the font's path up to its first dot, so the editor runs
# inside the scratch directory on a name without a directory part.
scratch=$(cd "$build" && pwd)/demo
mkdir -p "$scratch"
if [ ! -e "$scratch/demo.fon" ]; then
  python3 "$(dirname "$0")/make-demo-font.py" "$scratch/demo.fon"
fi
status=0
(cd "$scratch" && "$editor" demo.fon A) || status=$?
echo "Demo font: $scratch/demo.fon (delete it for a fresh copy)"
exit "$status"
