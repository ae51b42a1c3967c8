#!/bin/sh
# Builds the fuzzers with clang (ASan and UBSan) and runs them: the receive
# path for FUZZ_SECONDS (60 by default) from a seed corpus of the test
# server's streams, the audio decoders for AUDIO_FUZZ_SECONDS (30 by default)
# from the audio fixtures.
# Usage: scripts/run-fuzz.sh [build folder]
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build-fuzz}"
SECONDS_TO_RUN="${FUZZ_SECONDS:-60}"
AUDIO_SECONDS="${AUDIO_FUZZ_SECONDS:-30}"

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DORV_FUZZ=ON -DORV_TESTS=OFF -DORV_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j3 --target fuzz_receive fuzz_audio_decoders

# Absolute: the engine under test makes its own folder the working directory.
CORPUS="$(cd "$BUILD" && pwd)/fuzz/corpus"
python3 fuzz/make_seeds.py "$CORPUS"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The decompressors print every refused block on stdout; crashes still reach stderr.
"$(cd "$BUILD" && pwd)/fuzz/fuzz_receive" -max_total_time="$SECONDS_TO_RUN" -max_len=70000 -rss_limit_mb=4096 \
	-close_fd_mask=1 -print_final_stats=1 "$CORPUS"

AUDIO_CORPUS="$(cd "$BUILD" && pwd)/fuzz/audio_corpus"
fuzz/make_audio_seeds.sh "$AUDIO_CORPUS"
"$(cd "$BUILD" && pwd)/fuzz/fuzz_audio_decoders" -max_total_time="$AUDIO_SECONDS" -max_len=100000 -rss_limit_mb=4096 \
	-print_final_stats=1 "$AUDIO_CORPUS"
