#!/bin/sh
# Builds the audio library's tests with ThreadSanitizer (which cannot share a
# build with AddressSanitizer) and runs them: the audio thread is the one
# place where two threads meet.
# Usage: scripts/run-tsan.sh [build folder]
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build-tsan}"
JOBS="${ORV_JOBS:-$(nproc)}"
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_TSAN=ON -DORV_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$JOBS" --target orv_tests_audio orv_tests_audio_no_device orv_tests_audio_capture \
	orv_tests_audio_plugins
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
ctest --test-dir "$BUILD" --output-on-failure -j"$JOBS" --timeout 300 -L audio
