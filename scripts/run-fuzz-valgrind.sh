#!/bin/sh
# Replays every fuzz target's corpus (seeds and finds, as scripts/run-fuzz.sh
# left them in its build folder) under valgrind's memcheck. ASan cannot see
# uninitialised bytes read inside the libraries, which are not instrumented,
# so the targets are built again without sanitizers, each as a replay_*
# program that runs its corpus once. Any error fails the run; leaks are the
# sanitizer runs' to find.
# Usage: scripts/run-fuzz-valgrind.sh [fuzz build folder] [replay build folder]
set -e
cd "$(dirname "$0")/.."
CORPORA="$(cd "${1:-build-fuzz}" && pwd)/fuzz"
BUILD="${2:-build-fuzz-replay}"

TARGETS=""
for source in fuzz/fuzz_*.cpp; do
	TARGETS="$TARGETS $(basename "$source" .cpp | sed 's/^fuzz_/replay_/')"
done
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_FUZZ_REPLAY=ON -DORV_TESTS=OFF -DORV_BENCH=OFF \
	>/dev/null
cmake --build "$BUILD" -j"${ORV_JOBS:-$(nproc)}" --target $TARGETS >/dev/null
REPLAY_DIR="$(cd "$BUILD" && pwd)/fuzz"

# memcheck REPLAY CORPUS [valgrind options]: false when valgrind reports an
# error. The replay's own output (the decoders' refusals, the engine's start)
# goes to the file beside it, with valgrind's. AngelScript's x64 native-call
# trampoline reads its argument copies a few hundred bytes below the stack
# pointer, for every call whatever the script: accesses there are not reported.
memcheck() {
	replay="$1" inputs="$2"
	shift 2
	valgrind -q --error-exitcode=97 --leak-check=no --ignore-range-below-sp=1024-1 "$@" \
		"$REPLAY_DIR/$replay" "$inputs" >"$REPLAY_DIR/$replay.out" 2>&1
}

# The engines the targets start get OpenAL's null device, as the tests do.
export ALSOFT_DRIVERS=null
failed=""
for target in $TARGETS; do
	name="$(echo "$target" | sed 's/^replay_/fuzz_/')"
	corpus="$CORPORA/$name-corpus"
	if [ ! -d "$corpus" ]; then
		echo "$name has no corpus in $CORPORA: scripts/run-fuzz.sh makes it" >&2
		failed="$failed $name"
		continue
	fi
	started=$(date +%s)
	if memcheck "$target" "$corpus"; then
		echo "$name: $(grep -m 1 "inputs replayed" "$REPLAY_DIR/$target.out") under valgrind in $(($(date +%s) - started)) s, no error"
	else
		# Again, slower, to say where each uninitialised value came from.
		memcheck "$target" "$corpus" --track-origins=yes || true
		echo "$name: valgrind found errors (all in $REPLAY_DIR/$target.out):" >&2
		# Each report under the input that made it.
		awk '/^input: / { input = $0; next } /^==[0-9]+==/ { if (input) print input; input = ""; print }' \
			"$REPLAY_DIR/$target.out" | head -n 80 >&2
		failed="$failed $name"
	fi
done
[ -z "$failed" ] || { echo "valgrind replay failed:$failed" >&2; exit 1; }
