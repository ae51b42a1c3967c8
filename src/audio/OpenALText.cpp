#include "audio/OpenALText.h"

namespace orv {
namespace audio {

namespace {

const char* const UNKNOWN_ERROR = "Unknown Error";

} // namespace

const char* getALErrorText(ALenum error)
{
	const char* text = alGetString(error);
	return text ? text : UNKNOWN_ERROR;
}

const char* getALCErrorText(ALCdevice* device, ALCenum error)
{
	const char* text = alcGetString(device, error);
	return text ? text : UNKNOWN_ERROR;
}

} // namespace audio
} // namespace orv
