#!/bin/sh
# Lays the bundled content beside the binary in the given build folder: the
# client takes the folder of its executable as its working directory.
# Usage: prepare-run-folder.sh [BUILD [CONTENT]]; CONTENT is content/ unless given.
#
# The run folder is also where authors edit packages and string tables, so a
# second lay-out must not undo their work: the manifest remembers the
# checksum of every file laid last time, and a file is replaced only while it
# still holds what was laid (or is missing). Files the content does not have,
# such as one's own packages, are never touched.
set -e
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
CONTENT="${2:-content}"
MANIFEST="$BUILD/.bundled-content.md5"
mkdir -p "$BUILD"

checksum() {
	md5sum < "$1" | cut -d' ' -f1
}

# What the manifest says was laid as that file; empty when nothing was.
laid() {
	[ -f "$MANIFEST" ] || return 0
	awk -v name="$1" '{ sum = $1; sub(/^[^ ]+  /, ""); if ($0 == name) print sum }' "$MANIFEST"
}

NEXT="$MANIFEST.new"
: > "$NEXT"
# settings.ini is the client's to write once it exists.
(cd "$CONTENT" && find . -type f ! -path ./settings.ini | sed 's|^\./||' | sort) | while IFS= read -r name; do
	source="$CONTENT/$name"
	target="$BUILD/$name"
	bundled="$(checksum "$source")"
	before="$(laid "$name")"
	if [ ! -e "$target" ]; then
		mkdir -p "$(dirname "$target")"
		cp "$source" "$target"
		before="$bundled"
	else
		current="$(checksum "$target")"
		if [ "$current" = "$bundled" ]; then
			before="$bundled"
		elif [ -n "$before" ] && [ "$current" = "$before" ]; then
			cp "$source" "$target"
			before="$bundled"
		else
			echo "Kept $target: it was changed in the run folder; the bundled one is $source."
		fi
	fi
	[ -z "$before" ] || printf '%s  %s\n' "$before" "$name" >> "$NEXT"
done
mv "$NEXT" "$MANIFEST"

[ -e "$BUILD/settings.ini" ] || cp "$CONTENT/settings.ini" "$BUILD/settings.ini"
# No package ships the default GUI font, code2001.ttf: the run folder gets
# DejaVu Sans from Debian's fonts-dejavu-core, with its licence.
mkdir -p "$BUILD/fonts"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$BUILD/fonts/"
cp /usr/share/doc/fonts-dejavu-core/copyright "$BUILD/fonts/DejaVuSans.copyright"
