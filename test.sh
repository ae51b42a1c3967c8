#!/bin/sh
# Installs what the client and its tests need, builds with the sanitizers and
# runs the whole suite; window tests start X servers of their own.
set -e
cd "$(dirname "$0")"
# ORV_JOBS limits the parallel jobs on a shared machine.
JOBS="${ORV_JOBS:-$(nproc)}"
./scripts/install-deps.sh test
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_SANITIZE=ON -DORV_BENCH=OFF
cmake --build build-test -j"$JOBS"
./scripts/prepare-run-folder.sh build-test
./scripts/run-suite.sh
