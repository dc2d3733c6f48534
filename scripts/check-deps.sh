#!/usr/bin/env bash
# Checks that scripts/deps.sh names every Debian package whose headers,
# libraries or programs a finished build used: scripts/check-deps.sh BUILD_DIR.
# A package that only happens to be pulled in by another one is missing on a
# fresh machine. What the compilers bring with them (the C and C++ libraries'
# headers) counts as theirs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/check-deps.sh BUILD_DIR}
[ -f "$build/build.ninja" ] || { echo "no ninja build in $build" >&2; exit 2; }

named=$(scripts/deps.sh --list | sort -u)

# Everything the named compilers and build tools depend on, all the way down.
toolchain=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances g++ clang cmake ninja-build 2>/dev/null |
  sed -n 's/^\([a-z0-9][a-z0-9.+-]*\)\(:[a-z0-9]*\)\?$/\1/p' | sort -u)

# The files used: every header outside the source and build trees that
# ninja recorded, every library a link command named (for a versioned file
# the linker's unversioned name beside it, which the -dev package holds),
# and the programs the build, the tests and the scripts run.
root=$PWD
missing=()
programs=()
for program in c++ cc clang++ cmake ninja ctest Xvfb xauth gio update-mime-database \
    update-desktop-database pdftotext locale-gen; do
  if path=$(command -v "$program"); then
    programs+=("$path")
  else
    missing+=("no program $program")
  fi
done
files=$(
  ninja -C "$build" -t deps 2>/dev/null | sed -n 's/^ \+\(\/.*\)$/\1/p' |
    grep -v -e "^$root/" -e "^$(cd "$build" && pwd)/" || true
  ninja -C "$build" -t commands 2>/dev/null | tr ' ' '\n' | grep -E '^/[^ ]+\.so(\.[0-9.]+)?$' |
    sed -E 's/\.so\.[0-9.]+$/.so/' || true
  printf '%s\n' "${programs[@]}"
)
# Their packages, from dpkg's lists of the files each package installed.
# dpkg knows a file by the path its package put there, so a path it does not
# know is looked up again as the file its symlinks lead to.
declare -A example=()
paths=$(while IFS= read -r f; do [ -e "$f" ] && echo "$f"; done <<<"$files" | sort -u)
owners() { grep -Fx -f - /var/lib/dpkg/info/*.list | sed 's|^/var/lib/dpkg/info/\([^:]*\)\(:[a-z0-9]*\)\?\.list:|\1 |' || true; }
found=$(owners <<<"$paths")
unknown=$(comm -23 <(printf '%s\n' "$paths") <(cut -d' ' -f2- <<<"$found" | sort -u))
found+=$'\n'$(while IFS= read -r f; do [ -n "$f" ] && readlink -f "$f"; done <<<"$unknown" | owners)
while read -r package path; do
  [ -n "$package" ] || continue
  [ -n "${example[$package]:-}" ] || example[$package]=$path
done <<<"$found"

for package in "${!example[@]}"; do
  if ! grep -qx "$package" <<<"$named" && ! grep -qx "$package" <<<"$toolchain"; then
    missing+=("$package (for example ${example[$package]})")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "scripts/deps.sh does not name what the build uses:" >&2
  printf '  %s\n' "${missing[@]}" | sort >&2
  exit 1
fi
echo "scripts/deps.sh names every package the build in $build used (${#example[@]} packages)"
