#!/bin/sh
# Runs the built sanitizer suite in build-test/ with the sanitizer settings
# every run uses; further arguments go to ctest (a -R filter, say).
set -e
cd "$(dirname "$0")/.."
JOBS="${ORV_JOBS:-$(nproc)}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The window tests draw through Mesa's softpipe, not llvmpipe: LeakSanitizer
# records the thread-local block of llvmpipe's LLVM with a range that
# points nowhere now and then, and its check at exit then crashes reading
# it ("Tracer caught signal 11"), failing a test that passed.
export GALLIUM_DRIVER=softpipe DRAW_USE_LLVM=0
exec ctest --test-dir build-test --output-on-failure -j"$JOBS" --timeout 300 "$@"
