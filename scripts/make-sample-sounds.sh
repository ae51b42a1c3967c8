#!/bin/sh
# Makes the bundled sample package's sounds in content/package/Sample from
# noise and tones written here, so the package holds nothing taken from
# elsewhere; needs python3 and oggenc (Debian's vorbis-tools). The result is
# committed, so this runs only when a sound changes.
set -e
cd "$(dirname "$0")/../content/package/Sample"
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

# A footstep: 80 ms of a low thump under a short burst of noise, both dying
# away fast. Signed 16-bit little-endian mono PCM at 22050 Hz; the noise
# comes from a fixed seed, so every run writes the same samples.
python3 - "$TMP/step.raw" <<'PY'
import math, random, struct, sys
rate = 22050
frames = int(0.08 * rate)
noise = random.Random(21800)
data = bytearray()
for i in range(frames):
    t = i / rate
    thump = math.sin(2 * math.pi * 90 * t) * math.exp(-t * 45)
    scuff = (noise.random() * 2 - 1) * math.exp(-t * 90)
    data += struct.pack("<h", int(9000 * thump + 5000 * scuff))
open(sys.argv[1], "wb").write(data)
PY
oggenc -Q -s 1 -r -B 16 -C 1 -R 22050 -q 2 -o step.ogg "$TMP/step.raw"
