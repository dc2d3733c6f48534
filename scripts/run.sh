#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds the program and starts
# it; without arguments it opens the sample database.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCORVISTA_TESTS=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # Under Xvfb nobody could see the program, answer its boxes or close it.
  echo "No desktop session found (DISPLAY is not set), so the program was built but not started." >&2
  printf 'To see its windows on this machine, as pictures taken under Xvfb: %q\n' "$PWD/scripts/screenshots.sh" >&2
  printf 'From a desktop session, with the sample database: %q %q\n' \
    "$PWD/build/release/app/Scorvista2001" "$PWD/samples/sample-machines.prb" >&2
  # Built as asked; only the start is left to a desktop session.
  exit 0
fi
if [ $# -eq 0 ]; then
  set -- "$PWD/samples/sample-machines.prb"
fi
exec build/release/app/Scorvista2001 "$@"
