#!/bin/sh
# Builds the fuzzers with clang (ASan and UBSan) and runs them: the receive
# path for FUZZ_SECONDS (60 by default) from a seed corpus of the test
# server's streams, then the level reader for LEVEL_FUZZ_SECONDS (30 by
# default) from the level seeds in fuzz/level_seeds.
# Usage: scripts/run-fuzz.sh [build folder]
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build-fuzz}"
SECONDS_TO_RUN="${FUZZ_SECONDS:-60}"
LEVEL_SECONDS_TO_RUN="${LEVEL_FUZZ_SECONDS:-30}"

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DORV_FUZZ=ON -DORV_TESTS=OFF -DORV_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j3 --target fuzz_receive fuzz_level

# Absolute: the engine under test makes its own folder the working directory.
FUZZ_DIR="$(cd "$BUILD" && pwd)/fuzz"
CORPUS="$FUZZ_DIR/corpus"
python3 fuzz/make_seeds.py "$CORPUS"
# The level fuzzer adds what it finds to a copy, never to the seeds kept here.
LEVEL_CORPUS="$FUZZ_DIR/level-corpus"
mkdir -p "$LEVEL_CORPUS"
cp fuzz/level_seeds/* "$LEVEL_CORPUS"/

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The decompressors print every refused block on stdout; crashes still reach stderr.
"$FUZZ_DIR/fuzz_receive" -max_total_time="$SECONDS_TO_RUN" -max_len=70000 -rss_limit_mb=4096 \
	-close_fd_mask=1 -print_final_stats=1 "$CORPUS"
"$FUZZ_DIR/fuzz_level" -max_total_time="$LEVEL_SECONDS_TO_RUN" -max_len=65536 -rss_limit_mb=4096 -timeout=20 \
	-close_fd_mask=1 -print_final_stats=1 "$LEVEL_CORPUS"
