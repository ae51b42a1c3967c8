#!/bin/sh
# Writes the audio fuzzer's seed corpus: the committed Ogg fixtures and small
# WAV and raw files, each behind the three control bytes the target reads.
# Usage: fuzz/make_audio_seeds.sh OUTPUT_FOLDER
set -e
OUT="$1"
FIXTURES="$(dirname "$0")/../tests/audio/fixtures"
mkdir -p "$OUT"
for f in mono_440.ogg stereo_440.ogg chained.ogg six_channels.ogg three_seconds.ogg; do
	{ printf '\001\000\007'; cat "$FIXTURES/$f"; } > "$OUT/ogg_$f"
done
python3 - "$OUT" <<'PY'
import struct, sys
out = sys.argv[1]
def wav(channels, bits, frames, extensible=False):
    data = bytes(i & 0x7F for i in range(frames * channels * bits // 8))
    if extensible:
        fmt = struct.pack("<HHIIHHHHI", 0xFFFE, channels, 22050, 22050 * channels * bits // 8,
                          channels * bits // 8, bits, 22, bits, 3)
        fmt += bytes([1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71])
    else:
        fmt = struct.pack("<HHIIHH", 1, channels, 22050, 22050 * channels * bits // 8, channels * bits // 8, bits)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"LIST" + struct.pack("<I", 3) + b"abc\0"
    body += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body
for name, channels, bits, ext in [("m8", 1, 8, False), ("s16", 2, 16, False), ("ext", 2, 16, True)]:
    with open(f"{out}/wav_{name}", "wb") as f:
        f.write(b"\x00\x00\x03" + wav(channels, bits, 300, ext))
with open(f"{out}/raw_stereo16", "wb") as f:
    f.write(b"\x03\x03\x05" + bytes(range(256)) * 4)
PY
