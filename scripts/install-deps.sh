#!/bin/sh
# Installs the Debian packages the client needs; with "test" also the test tools.
# Asks dpkg first and does nothing (no apt-get, no sudo, no network) when every
# package is installed already. The run folder's GUI font comes from
# fonts-dejavu-core; the tests use it and FreeFont too.
set -e
RUNTIME="build-essential cmake pkg-config libirrlicht-dev angelscript-dev libbox2d-dev \
  libfreetype-dev zlib1g-dev libbz2-dev libvorbisidec-dev libopenal-dev libboost-dev \
  libboost-system-dev libutfcpp-dev libx11-dev libzip-dev fonts-dejavu-core"
TEST="googletest libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth x11-apps x11-utils imagemagick \
  libgl1-mesa-dri mesa-utils clang libclang-rt-14-dev python3 libopenal1 valgrind clang-format fonts-freefont-ttf vorbis-tools love zip p7zip-full"
PKGS="$RUNTIME"
[ "$1" = "test" ] && PKGS="$RUNTIME $TEST"

# One dpkg query for all; a package it does not know is missing too.
INSTALLED="$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' $PKGS 2>/dev/null | awk '$2 == "installed" { print $1 }' || true)"
MISSING=""
for pkg in $PKGS; do
	echo "$INSTALLED" | grep -qx "$pkg" || MISSING="$MISSING $pkg"
done
[ -n "$MISSING" ] || exit 0
echo "Installing:$MISSING"

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends $MISSING
