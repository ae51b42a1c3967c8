#!/bin/sh
# Runs the built sanitizer suite (as ./test.sh runs it, without building)
# beside N busy loops, one per core by default, so a loaded CI host can be
# had on any machine; the loops end with the run, however it ends.
# Usage: scripts/stress-suite.sh [N] [ctest arguments]
set -e
cd "$(dirname "$0")/.."
LOOPS="${1:-$(nproc)}"
[ $# -gt 0 ] && shift
[ -d build-test ] || { echo "no build-test/: run ./test.sh first" >&2; exit 2; }

PIDS=""
stop_loops() {
	[ -n "$PIDS" ] && kill $PIDS 2>/dev/null
	PIDS=""
}
trap stop_loops EXIT
trap 'exit 130' INT TERM
i=0
while [ "$i" -lt "$LOOPS" ]; do
	sh -c 'while :; do :; done' &
	PIDS="$PIDS $!"
	i=$((i + 1))
done
echo "stress-suite: $LOOPS busy loops beside the suite"
scripts/run-suite.sh "$@"
