#!/bin/sh
# Writes docs/script-api.md from the script registrations the client makes:
# run it after changing what scripts can use. The text around the generated
# reference is tools/script-api.md.in.
# Usage: scripts/make-script-api-doc.sh [build folder, default build]
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
	cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" -j"${ORV_JOBS:-$(nproc)}" --target orv_api_doc
# The engine it starts needs no sound card; its log is not the page.
ALSOFT_DRIVERS=null "$BUILD/orv_api_doc" docs/script-api.md >/dev/null
echo "docs/script-api.md written."
