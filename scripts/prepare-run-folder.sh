#!/bin/sh
# Lays the bundled content beside the binary in the given build folder: the
# client takes the folder of its executable as its working directory.
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
mkdir -p "$BUILD"
# .keep only holds the folder in git.
find content -mindepth 1 -maxdepth 1 ! -name .keep -exec cp -R {} "$BUILD"/ \;
