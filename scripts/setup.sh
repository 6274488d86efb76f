#!/usr/bin/env bash
# Installs every Debian package that building, running and testing the terminal needs.
# Quick when everything is already there; uses sudo when not run as root.
# "setup.sh packaging" also installs the tools that build and check the Debian package
# (tests/install/package_check.sh); FUZZ=1 adds clang for the fuzz targets.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-5compat-dev qt6-tools-dev qt6-tools-dev-tools
    qt6-l10n-tools qt6-translations-l10n libusb-1.0-0-dev fonts-dejavu-core
    libqt6sql6-sqlite libqt6sql6-psql postgresql-15
    libbenchmark-dev
    umockdev libumockdev-dev xvfb xauth imagemagick xdotool python3 clang-format
)
for group in "$@"; do
    case $group in
    packaging) packages+=(dpkg-dev fakeroot file lintian desktop-file-utils appstream man-db) ;;
    *) echo "setup.sh: unknown group $group" >&2; exit 2 ;;
    esac
done
# The fuzz targets need clang and its libFuzzer runtime (FUZZ=1, as scripts/fuzz.sh sets it).
if [ "${FUZZ:-0}" = 1 ]; then
    packages+=(clang)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
