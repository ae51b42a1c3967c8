#!/bin/sh
# Lays the bundled content beside the binary in the given build folder: the
# client takes the folder of its executable as its working directory.
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
mkdir -p "$BUILD"
# .keep only holds the folder in git.
find content -mindepth 1 -maxdepth 1 ! -name .keep -exec cp -R {} "$BUILD"/ \;
# No package ships the default GUI font, code2001.ttf: the run folder gets
# DejaVu Sans with its licence, and a fresh folder's settings point at it.
mkdir -p "$BUILD/fonts"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$BUILD/fonts/"
cp /usr/share/doc/fonts-dejavu-core/copyright "$BUILD/fonts/DejaVuSans.copyright"
[ -e "$BUILD/settings.ini" ] || printf '[Font]\r\ndefault = DejaVuSans.ttf\r\n' > "$BUILD/settings.ini"
