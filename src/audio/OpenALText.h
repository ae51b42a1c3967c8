#pragma once
// Names of OpenAL errors for the log. OpenAL gives no text without a current
// context, and a format must never receive null.

#include <AL/al.h>
#include <AL/alc.h>

namespace orv {
namespace audio {

//! The text of an AL error code; never null.
const char* getALErrorText(ALenum error);
//! The text of an ALC error code of a device (null for errors without one);
//! never null.
const char* getALCErrorText(ALCdevice* device, ALCenum error);
//! The text, or "" for null.
inline const char* textOrEmpty(const char* text)
{
	return text ? text : "";
}

} // namespace audio
} // namespace orv
