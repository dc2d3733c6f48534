#!/usr/bin/env bash
# Installs the build and test dependencies that are missing (Debian 12, as root).
# Further package names given as arguments are installed with them.
# scripts/check-deps.sh checks that the list names what a build used.
set -euo pipefail

# --list: prints the packages named here, one a line, and does nothing else.
list=0
if [ "${1:-}" = --list ]; then
  list=1
  shift
fi

packages=(
  cmake g++ ninja-build pkg-config
  libgtest-dev libgmock-dev
  zlib1g-dev libpng-dev libjpeg62-turbo-dev
  # the submission library's HTTP client
  libcurl4-openssl-dev
  # the certificates an https upload is checked against
  ca-certificates
  clang libclang-rt-14-dev
  locales
  qt6-base-dev libgl-dev libglx-dev libopengl-dev fonts-dejavu-core xvfb xauth
  # SVG icons (the icon engine plugin comes with the SVG module)
  qt6-svg-dev libqt6svg6
  # the desktop's file associations: its tools, and GLib's client for the tests
  shared-mime-info desktop-file-utils libglib2.0-bin
  # opening files with the desktop's application for them (GIO), which says
  # why when there is none
  libglib2.0-dev
  # reading printed reports back as text
  poppler-utils
  "$@"
)

if [ "$list" = 1 ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A comma-decimal locale lets the tests prove that number texts ignore the
# process locale; without it that test skips.
if [ "$(id -u)" -eq 0 ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ -f /etc/locale.gen ]; then
    sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null || echo "locale-gen failed; the locale test will skip" >&2
  fi
fi
