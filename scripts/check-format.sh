#!/bin/sh
# Fails when a C or C++ file of the tree differs from .clang-format; with
# --fix, formats them in place instead.
# Usage: scripts/check-format.sh [--fix]
set -e
cd "$(dirname "$0")/.."
files=$(git ls-files '*.c' '*.cpp' '*.h')
if [ "$1" = "--fix" ]; then
	echo "$files" | xargs clang-format -i
	exit 0
fi
echo "$files" | xargs clang-format --dry-run -Werror
