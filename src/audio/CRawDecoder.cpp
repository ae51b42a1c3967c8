#include "audio/CRawDecoder.h"

#include "audio/ClampedNumber.h"

namespace orv {
namespace audio {

CRawDecoder::CRawDecoder(IDataSource* source, int frequency, AudioFormat format)
	: IAudioDecoder(source), Frequency(frequency), Format(format)
{
	// A rate of 0 has no time, and an unknown layout no frame size OpenAL
	// would agree with.
	Valid = Source && Source->isValid() && frequency > 0 && isKnownFormat(format);
}

float CRawDecoder::getBytesPerSecond() const
{
	return float(Frequency) * float(getFrameSize(Format));
}

int CRawDecoder::read(void* output, int bytes)
{
	return Source ? Source->read(output, bytes) : 0;
}

bool CRawDecoder::setPosition(int position, bool relative)
{
	if (Source)
		Source->seek(position, relative);
	return true;
}

bool CRawDecoder::seek(float seconds, bool relative)
{
	const double frames = double(Frequency) * seconds;
	return setPosition(truncateToInt(double(truncateToInt64(frames)) * getFrameSize(Format)), relative);
}

float CRawDecoder::getTotalTime()
{
	const float rate = getBytesPerSecond();
	return Source && rate > 0 ? float(Source->getSize()) / rate : 0.0f;
}

int CRawDecoder::getTotalSize()
{
	return Source ? Source->getSize() : 0;
}

int CRawDecoder::getCompressedSize()
{
	return getTotalSize();
}

float CRawDecoder::getCurrentTime()
{
	const float rate = getBytesPerSecond();
	return Source && rate > 0 ? float(Source->getCurrentPos()) / rate : 0.0f;
}

int CRawDecoder::getCurrentPosition()
{
	return Source ? Source->getCurrentPos() : 0;
}

int CRawDecoder::getCurrentCompressedPosition()
{
	return getCurrentPosition();
}

} // namespace audio
} // namespace orv
