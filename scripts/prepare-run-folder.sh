#!/bin/sh
# Lays the bundled content beside the binary in the given build folder: the
# client takes the folder of its executable as its working directory.
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
mkdir -p "$BUILD"
# settings.ini is the client's to write once it exists; a fresh folder's
# settings name the GUI font below.
find content -mindepth 1 -maxdepth 1 ! -name settings.ini -exec cp -R {} "$BUILD"/ \;
[ -e "$BUILD/settings.ini" ] || cp content/settings.ini "$BUILD/settings.ini"
# No package ships the default GUI font, code2001.ttf: the run folder gets
# DejaVu Sans from Debian's fonts-dejavu-core, with its licence.
mkdir -p "$BUILD/fonts"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$BUILD/fonts/"
cp /usr/share/doc/fonts-dejavu-core/copyright "$BUILD/fonts/DejaVuSans.copyright"
