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

TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
touch "$MANIFEST"
# settings.ini is the client's to write once it exists.
(cd "$CONTENT" && find . -type f ! -path ./settings.ini | sed 's|^\./||' | sort) > "$TMP/names"
(cd "$CONTENT" && tr '\n' '\0' < "$TMP/names" | xargs -0 -r md5sum) > "$TMP/bundled"
(cd "$BUILD" && tr '\n' '\0' < "$TMP/names" | xargs -0 -r md5sum 2>/dev/null || true) > "$TMP/current"

# One line of md5sum is the checksum, two spaces and the name. For every
# bundled file: copy it when the run folder lacks it or still holds what was
# laid, keep it when the author changed it; the next manifest names what the
# run folder now holds of the content.
awk -v plan="$TMP/plan" -v manifest="$TMP/manifest" '
	function name() { return substr($0, 35) }
	FILENAME == ARGV[1] { laid[name()] = $1; next }
	FILENAME == ARGV[2] { current[name()] = $1; next }
	{
		n = name()
		if (!(n in current) || current[n] != $1 && (n in laid) && current[n] == laid[n]) {
			print "copy " n > plan
			print $1 "  " n > manifest
		} else if (current[n] == $1) {
			print $1 "  " n > manifest
		} else {
			print "keep " n > plan
			if (n in laid)
				print laid[n] "  " n > manifest
		}
	}' "$MANIFEST" "$TMP/current" "$TMP/bundled"
touch "$TMP/plan" "$TMP/manifest"

while IFS= read -r line; do
	name="${line#* }"
	case "$line" in
	copy\ *)
		mkdir -p "$(dirname "$BUILD/$name")"
		cp "$CONTENT/$name" "$BUILD/$name"
		;;
	keep\ *)
		echo "Kept $BUILD/$name: it was changed in the run folder; the bundled one is $CONTENT/$name."
		;;
	esac
done < "$TMP/plan"
mv "$TMP/manifest" "$MANIFEST"

[ -e "$BUILD/settings.ini" ] || cp "$CONTENT/settings.ini" "$BUILD/settings.ini"
# No package ships the default GUI font, code2001.ttf: the run folder gets
# DejaVu Sans from Debian's fonts-dejavu-core, with its licence.
mkdir -p "$BUILD/fonts"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$BUILD/fonts/"
cp /usr/share/doc/fonts-dejavu-core/copyright "$BUILD/fonts/DejaVuSans.copyright"
