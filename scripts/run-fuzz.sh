#!/bin/sh
# Builds the fuzzers with clang (ASan and UBSan) and runs each from its seeds:
# the receive path for FUZZ_SECONDS (60 by default), then the level reader,
# the audio decoders, the image path, the .gani reader, the string-table
# reader, the package list, the font and the settings file for
# LEVEL_FUZZ_SECONDS, AUDIO_FUZZ_SECONDS, IMAGE_FUZZ_SECONDS,
# GANI_FUZZ_SECONDS, STRING_TABLE_FUZZ_SECONDS, PACKAGE_FUZZ_SECONDS,
# FONT_FUZZ_SECONDS and SETTINGS_FUZZ_SECONDS, and the script build and
# delivery paths for SCRIPT_FUZZ_SECONDS (30 each). Each target's corpus,
# seeds and finds, is left in the build folder as fuzz/<target>-corpus for
# scripts/run-fuzz-valgrind.sh to replay.
# Usage: scripts/run-fuzz.sh [build folder]
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build-fuzz}"

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DORV_FUZZ=ON -DORV_TESTS=OFF -DORV_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j3 --target fuzz_receive fuzz_level fuzz_audio_decoders fuzz_image fuzz_gani \
	fuzz_string_table fuzz_package_list fuzz_font fuzz_settings fuzz_script_build fuzz_script_delivery

# Absolute: the engine under test makes its own folder the working directory.
FUZZ_DIR="$(cd "$BUILD" && pwd)/fuzz"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# corpus NAME: the target's corpus folder, made when missing.
corpus() {
	mkdir -p "$FUZZ_DIR/$1-corpus"
	echo "$FUZZ_DIR/$1-corpus"
}

# run_fuzzer NAME SECONDS MAX_LEN [options]: what a fuzzer finds goes into its
# corpus in the build folder, never into the seeds kept here, and the input of
# a crash beside it, not into the working tree. Options given win over the
# defaults before them (a tighter -rss_limit_mb, say).
run_fuzzer() {
	name="$1" seconds="$2" max_len="$3"
	shift 3
	"$FUZZ_DIR/$name" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=4096 \
		-print_final_stats=1 -artifact_prefix="$FUZZ_DIR/" "$@" "$(corpus "$name")"
}

# Whole files make the seeds of every target but the receive path: libFuzzer's
# length control would keep their mutations shorter than the seeds for the
# whole run, so it is off for them.
WHOLE_FILES="-len_control=0"

python3 fuzz/make_seeds.py "$(corpus fuzz_receive)"
# The decompressors print every refused block on stdout; crashes still reach stderr. The seeds
# that pass the bounds of what a server may make the client hold are up to 70 KB long; inputs may
# grow to twice that, and one that takes long or holds much is a finding.
run_fuzzer fuzz_receive "${FUZZ_SECONDS:-60}" 140000 -close_fd_mask=1 -timeout=10 -rss_limit_mb=2048 \
	-malloc_limit_mb=1024 -len_control=10

cp fuzz/level_seeds/* "$(corpus fuzz_level)"/
run_fuzzer fuzz_level "${LEVEL_FUZZ_SECONDS:-30}" 65536 $WHOLE_FILES -timeout=20 -close_fd_mask=1

fuzz/make_audio_seeds.sh "$(corpus fuzz_audio_decoders)"
run_fuzzer fuzz_audio_decoders "${AUDIO_FUZZ_SECONDS:-30}" 100000 $WHOLE_FILES

python3 fuzz/make_image_seeds.py "$(corpus fuzz_image)"
run_fuzzer fuzz_image "${IMAGE_FUZZ_SECONDS:-30}" 65536 $WHOLE_FILES -close_fd_mask=1

# The bundled animations, each behind a direction and a step count.
for file in content/package/Sample/*.gani; do
	{ printf '\002\040'; cat "$file"; } >"$(corpus fuzz_gani)/$(basename "$file" .gani)"
done
run_fuzzer fuzz_gani "${GANI_FUZZ_SECONDS:-30}" 65536 $WHOLE_FILES -close_fd_mask=1

cp content/translations/*.irrst "$(corpus fuzz_string_table)"/
run_fuzzer fuzz_string_table "${STRING_TABLE_FUZZ_SECONDS:-30}" 65536 $WHOLE_FILES

python3 fuzz/make_package_seeds.py "$(corpus fuzz_package_list)"
run_fuzzer fuzz_package_list "${PACKAGE_FUZZ_SECONDS:-30}" 65536 $WHOLE_FILES -timeout=20 -close_fd_mask=1

python3 fuzz/make_font_seeds.py "$(corpus fuzz_font)"
run_fuzzer fuzz_font "${FONT_FUZZ_SECONDS:-30}" 65536 $WHOLE_FILES -timeout=20

cp content/settings.ini fuzz/settings_seeds/* "$(corpus fuzz_settings)"/
run_fuzzer fuzz_settings "${SETTINGS_FUZZ_SECONDS:-30}" 65536 $WHOLE_FILES

# A script build is bounded to well under a second and 64 MiB, and its runs
# by small budgets: an input that takes 5 s, a single allocation past
# 128 MiB (a script array holds at most 64 MiB) or a process past 1 GiB is a
# finding. A small quarantine keeps the sanitizer's own memory out of it.
for name in fuzz_script_build fuzz_script_delivery; do
	cp fuzz/script_seeds/* "$(corpus "$name")"/
	ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=64" \
		run_fuzzer "$name" "${SCRIPT_FUZZ_SECONDS:-30}" 65536 $WHOLE_FILES -dict=fuzz/script.dict -timeout=5 \
		-rss_limit_mb=1024 -malloc_limit_mb=128
done
