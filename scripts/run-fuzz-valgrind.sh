#!/bin/sh
# Replays every fuzz target's corpus (seeds and finds, as scripts/run-fuzz.sh
# left them in its build folder) under valgrind's memcheck. ASan cannot see
# uninitialised bytes read inside the libraries, which are not instrumented,
# so the targets are built again without sanitizers, each as a replay_*
# program that runs its corpus once; the replays run side by side, ORV_JOBS
# (or one a core) at a time. Any error fails the run; leaks are the sanitizer
# runs' to find.
# Usage: scripts/run-fuzz-valgrind.sh [fuzz build folder] [replay build folder]
set -e
cd "$(dirname "$0")/.."

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

# One target's replay, as the run below starts it: its line goes to
# REPLAY.result, "ok" first when valgrind found nothing.
if [ "$1" = "--replay" ]; then
	target="$2" CORPORA="$3" REPLAY_DIR="$4"
	name="$(echo "$target" | sed 's/^replay_/fuzz_/')"
	corpus="$CORPORA/$name-corpus"
	result="$REPLAY_DIR/$target.result"
	if [ ! -d "$corpus" ]; then
		echo "failed $name has no corpus in $CORPORA: scripts/run-fuzz.sh makes it" >"$result"
		exit 0
	fi
	started=$(date +%s)
	if memcheck "$target" "$corpus"; then
		echo "ok $name: $(grep -m 1 "inputs replayed" "$REPLAY_DIR/$target.out") under valgrind" \
			"in $(($(date +%s) - started)) s, no error" >"$result"
	else
		# Again, slower, to say where each uninitialised value came from.
		memcheck "$target" "$corpus" --track-origins=yes || true
		echo "failed $name: valgrind found errors (all in $REPLAY_DIR/$target.out):" >"$result"
		# Each report under the input that made it.
		awk '/^input: / { input = $0; next } /^==[0-9]+==/ { if (input) print input; input = ""; print }' \
			"$REPLAY_DIR/$target.out" | head -n 80 >>"$result"
	fi
	exit 0
fi

CORPORA="$(cd "${1:-build-fuzz}" && pwd)/fuzz"
BUILD="${2:-build-fuzz-replay}"
JOBS="${ORV_JOBS:-$(nproc)}"

TARGETS=""
for source in fuzz/fuzz_*.cpp; do
	TARGETS="$TARGETS $(basename "$source" .cpp | sed 's/^fuzz_/replay_/')"
done
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_FUZZ_REPLAY=ON -DORV_TESTS=OFF -DORV_BENCH=OFF \
	>/dev/null
cmake --build "$BUILD" -j"$JOBS" --target $TARGETS >/dev/null
REPLAY_DIR="$(cd "$BUILD" && pwd)/fuzz"

# The engines the targets start get OpenAL's null device, as the tests do.
export ALSOFT_DRIVERS=null
for target in $TARGETS; do
	rm -f "$REPLAY_DIR/$target.result"
done
printf '%s\n' $TARGETS | xargs -P "$JOBS" -I '{}' "$0" --replay '{}' "$CORPORA" "$REPLAY_DIR"

failed=""
for target in $TARGETS; do
	result="$REPLAY_DIR/$target.result"
	if [ -f "$result" ] && head -n 1 "$result" | grep -q '^ok '; then
		sed 's/^ok //' "$result"
	else
		[ -f "$result" ] && sed '1s/^failed //' "$result" >&2
		failed="$failed $(echo "$target" | sed 's/^replay_/fuzz_/')"
	fi
done
[ -z "$failed" ] || { echo "valgrind replay failed:$failed" >&2; exit 1; }
