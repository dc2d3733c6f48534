#!/usr/bin/env bash
# Checks that scripts/deps.sh names every Debian package whose headers,
# libraries or programs a finished build used, and that it brings in what the
# programs and the tests read at run time:
#   scripts/check-deps.sh BUILD_DIR [--without PACKAGE...]
# A package that only happens to be pulled in by another one is missing on a
# fresh machine. What the compilers bring with them (the C and C++ libraries'
# headers) counts as theirs. --without checks the list as if it lacked the
# packages named, which shows what each of them is there for.
set -euo pipefail
cd "$(dirname "$0")/.."
usage="usage: scripts/check-deps.sh BUILD_DIR [--without PACKAGE...]"
build=${1:?$usage}
shift
without=()
if [ $# -gt 0 ]; then
  [ "$1" = --without ] && [ $# -gt 1 ] || { echo "$usage" >&2; exit 2; }
  shift
  without=("$@")
fi
[ -f "$build/build.ninja" ] || { echo "no ninja build in $build" >&2; exit 2; }

named=$(scripts/deps.sh --list | grep -vxF -f <(printf '%s\n' "${without[@]}") | sort -u)

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

# The files the programs and the tests read at run time, which no header,
# link or program above shows: the certificate bundle libcurl was built to
# check https servers against, the font fontconfig gives the default family
# (the one Qt draws the windows' texts in), and the Qt plugins of the
# offscreen and X11 platforms, the SVG icons and the tests' TLS server.
runtime=()
if command -v curl-config >/dev/null; then
  ca=$(curl-config --ca)
  [ -z "$ca" ] || runtime+=("$ca")
else
  missing+=("no program curl-config")
fi
if command -v fc-match >/dev/null; then
  runtime+=("$(fc-match -f '%{file}' sans-serif)")
else
  missing+=("no program fc-match")
fi
if plugins=$(qtpaths6 --plugin-dir 2>/dev/null); then
  runtime+=("$plugins/platforms/libqoffscreen.so" "$plugins/platforms/libqxcb.so"
    "$plugins/iconengines/libqsvgicon.so" "$plugins/tls/libqopensslbackend.so")
else
  missing+=("no program qtpaths6")
fi
# Such a file comes from a package the list names or one that apt brings in
# with them (their dependencies, not their recommendations, which deps.sh
# leaves out), or from the toolchain.
brought=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances $named 2>/dev/null |
  sed -n 's/^\([a-z0-9][a-z0-9.+-]*\)\(:[a-z0-9]*\)\?$/\1/p' | sort -u)
# A file that a package's maintainer scripts make on installing it (the
# certificate bundle) is in no list; its package is the one whose scripts
# name it.
made() { grep -lF -e "$1" -e "$2" /var/lib/dpkg/info/*.postinst /var/lib/dpkg/info/*.postrm 2>/dev/null |
  sed 's|^/var/lib/dpkg/info/\([^:]*\)\(:[a-z0-9]*\)\?\.post[a-z]*$|\1|' | sort -u || true; }
checkedAtRunTime=0
for f in "${runtime[@]}"; do
  if [ ! -e "$f" ]; then
    missing+=("no file $f (read at run time)")
    continue
  fi
  resolved=$(readlink -f "$f")
  packages=$(printf '%s\n%s\n' "$f" "$resolved" | owners | cut -d' ' -f1 | sort -u)
  [ -n "$packages" ] || packages=$(made "$f" "$resolved")
  if [ -z "$packages" ]; then
    missing+=("no package has $f (read at run time)")
    continue
  fi
  checkedAtRunTime=$((checkedAtRunTime + 1))
  if ! grep -qxF -f <(printf '%s\n' "$named" "$brought" "$toolchain") <<<"$packages"; then
    missing+=("$(head -n1 <<<"$packages") (for example $f, read at run time)")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "scripts/deps.sh does not name what the build uses:" >&2
  printf '  %s\n' "${missing[@]}" | sort >&2
  exit 1
fi
echo "scripts/deps.sh names every package the build in $build used (${#example[@]} packages)" \
  "and brings in the ones of the $checkedAtRunTime files read at run time"
