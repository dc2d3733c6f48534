#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds the program and starts
# it; without arguments it opens the sample database.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCORVISTA_TESTS=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop session found (DISPLAY is not set): start the program from a desktop," >&2
  echo "or run it under Xvfb: xvfb-run build/release/app/Scorvista2001" >&2
  exit 1
fi
if [ $# -eq 0 ]; then
  set -- "$PWD/samples/sample-machines.prb"
fi
exec build/release/app/Scorvista2001 "$@"
