#include "audio/AudioFormat.h"

namespace orv {
namespace audio {

int getFrameSize(AudioFormat format)
{
	switch (format)
	{
	case MONO8:
		return 1;
	case STEREO8:
		return 2;
	case MONO16:
		return 2;
	default:
		return 4;
	}
}

bool isKnownFormat(int format)
{
	return format >= MONO8 && format <= STEREO16;
}

} // namespace audio
} // namespace orv
