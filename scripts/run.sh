#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds everything and runs it.
# The window layer is not built yet, so for now this builds the libraries and
# runs their test suites in place of the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build/release --output-on-failure -j"$(nproc)"
