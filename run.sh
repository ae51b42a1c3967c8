#!/bin/sh
# Installs what the client needs, builds it and starts it on the bundled content.
set -e
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORV_TESTS=OFF -DORV_BENCH=OFF
cmake --build build -j"$(nproc)" --target orv
./scripts/prepare-run-folder.sh build
exec ./build/orv
