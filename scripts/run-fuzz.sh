#!/bin/sh
# Builds the fuzzers with clang (ASan and UBSan) and runs each from its seeds:
# the receive path for FUZZ_SECONDS (60 by default), then the level reader,
# the audio decoders, the image path, the .gani reader, the string-table
# reader and the package list for LEVEL_FUZZ_SECONDS, AUDIO_FUZZ_SECONDS,
# IMAGE_FUZZ_SECONDS, GANI_FUZZ_SECONDS, STRING_TABLE_FUZZ_SECONDS and
# PACKAGE_FUZZ_SECONDS, and the script build and delivery paths for
# SCRIPT_FUZZ_SECONDS (30 each).
# Usage: scripts/run-fuzz.sh [build folder]
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build-fuzz}"

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DORV_FUZZ=ON -DORV_TESTS=OFF -DORV_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j3 --target fuzz_receive fuzz_level fuzz_audio_decoders fuzz_image fuzz_gani \
	fuzz_string_table fuzz_package_list fuzz_script_build fuzz_script_delivery

# Absolute: the engine under test makes its own folder the working directory.
FUZZ_DIR="$(cd "$BUILD" && pwd)/fuzz"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# run_fuzzer NAME SECONDS MAX_LEN CORPUS [options]: what a fuzzer finds goes
# into its corpus in the build folder, never into the seeds kept here, and
# the input of a crash beside it, not into the working tree. Options given
# win over the defaults before them (a tighter -rss_limit_mb, say).
run_fuzzer() {
	name="$1" seconds="$2" max_len="$3" corpus="$4"
	shift 4
	"$FUZZ_DIR/$name" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=4096 \
		-print_final_stats=1 -artifact_prefix="$FUZZ_DIR/" "$@" "$corpus"
}

python3 fuzz/make_seeds.py "$FUZZ_DIR/corpus"
# The decompressors print every refused block on stdout; crashes still reach stderr. The seeds
# that pass the bounds of what a server may make the client hold are up to 70 KB long; inputs may
# grow to twice that, and one that takes long or holds much is a finding.
run_fuzzer fuzz_receive "${FUZZ_SECONDS:-60}" 140000 "$FUZZ_DIR/corpus" -close_fd_mask=1 -timeout=10 \
	-rss_limit_mb=2048 -malloc_limit_mb=1024 -len_control=10

mkdir -p "$FUZZ_DIR/level-corpus"
cp fuzz/level_seeds/* "$FUZZ_DIR/level-corpus"/
run_fuzzer fuzz_level "${LEVEL_FUZZ_SECONDS:-30}" 65536 "$FUZZ_DIR/level-corpus" -timeout=20 -close_fd_mask=1

fuzz/make_audio_seeds.sh "$FUZZ_DIR/audio_corpus"
run_fuzzer fuzz_audio_decoders "${AUDIO_FUZZ_SECONDS:-30}" 100000 "$FUZZ_DIR/audio_corpus"

python3 fuzz/make_image_seeds.py "$FUZZ_DIR/image-corpus"
run_fuzzer fuzz_image "${IMAGE_FUZZ_SECONDS:-30}" 65536 "$FUZZ_DIR/image-corpus" -close_fd_mask=1

# The bundled animations, each behind a direction and a step count.
mkdir -p "$FUZZ_DIR/gani-corpus"
for file in content/package/Sample/*.gani; do
	{ printf '\002\040'; cat "$file"; } >"$FUZZ_DIR/gani-corpus/$(basename "$file" .gani)"
done
run_fuzzer fuzz_gani "${GANI_FUZZ_SECONDS:-30}" 65536 "$FUZZ_DIR/gani-corpus" -close_fd_mask=1

mkdir -p "$FUZZ_DIR/string-table-corpus"
cp content/translations/*.irrst "$FUZZ_DIR/string-table-corpus"/
run_fuzzer fuzz_string_table "${STRING_TABLE_FUZZ_SECONDS:-30}" 65536 "$FUZZ_DIR/string-table-corpus"

python3 fuzz/make_package_seeds.py "$FUZZ_DIR/package-corpus"
run_fuzzer fuzz_package_list "${PACKAGE_FUZZ_SECONDS:-30}" 65536 "$FUZZ_DIR/package-corpus" -timeout=20 -close_fd_mask=1

# A script build is bounded to well under a second and 64 MiB, and its runs
# by small budgets: an input that takes 5 s, a single allocation past
# 128 MiB (a script array holds at most 64 MiB) or a process past 1 GiB is a
# finding. A small quarantine keeps the sanitizer's own memory out of it.
for name in fuzz_script_build fuzz_script_delivery; do
	mkdir -p "$FUZZ_DIR/$name-corpus"
	cp fuzz/script_seeds/* "$FUZZ_DIR/$name-corpus"/
	ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=64" \
		run_fuzzer "$name" "${SCRIPT_FUZZ_SECONDS:-30}" 65536 "$FUZZ_DIR/$name-corpus" -dict=fuzz/script.dict \
		-timeout=5 -rss_limit_mb=1024 -malloc_limit_mb=128
done
