#!/bin/sh
# Installs what the client needs, builds it and starts it on the bundled content.
set -e
cd "$(dirname "$0")"
# ORV_JOBS limits the parallel jobs on a shared machine.
JOBS="${ORV_JOBS:-$(nproc)}"
./scripts/install-deps.sh
# A configured tree reconfigures itself when a CMakeLists.txt changes, so
# only the first run configures: a second start costs no configure step.
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORV_TESTS=OFF -DORV_BENCH=OFF
cmake --build build -j"$JOBS" --target orv
./scripts/prepare-run-folder.sh build
exec ./build/orv
