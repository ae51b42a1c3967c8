#pragma once

#include <cstdint>

namespace orv {
namespace audio {

//! Layout of the PCM a decoder delivers: interleaved samples, 16-bit ones
//! signed little-endian. Any 32-bit value may arrive from a caller; the
//! fixed type makes holding one defined, and isKnownFormat tells them apart.
enum AudioFormat : int32_t
{
	MONO8 = 0,
	STEREO8 = 1,
	MONO16 = 2,
	STEREO16 = 3
};

//! Bytes of one sample frame (every channel once): 1, 2, 2 or 4; 4 for a
//! value outside the enumeration.
int getFrameSize(AudioFormat format);

//! Whether the value is one of the four layouts.
bool isKnownFormat(int format);

} // namespace audio
} // namespace orv
