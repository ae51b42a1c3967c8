#include "audio/CPcmDecoder.h"

namespace orv {
namespace audio {

float CPcmDecoder::getTotalTime()
{
	const double rate = getBytesPerSecond();
	return Source && rate > 0.0 ? static_cast<float>(Source->getSize() / rate) : 0.0f;
}

int CPcmDecoder::getTotalSize()
{
	return Source ? Source->getSize() : 0;
}

int CPcmDecoder::getCompressedSize()
{
	return getTotalSize();
}

float CPcmDecoder::getCurrentTime()
{
	const double rate = getBytesPerSecond();
	return Source && rate > 0.0 ? static_cast<float>(Source->getCurrentPos() / rate) : 0.0f;
}

int CPcmDecoder::getCurrentPosition()
{
	return Source ? Source->getCurrentPos() : 0;
}

int CPcmDecoder::getCurrentCompressedPosition()
{
	return getCurrentPosition();
}

} // namespace audio
} // namespace orv
