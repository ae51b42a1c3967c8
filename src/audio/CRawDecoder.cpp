#include "audio/CRawDecoder.h"

#include "audio/ClampedNumber.h"

namespace orv {
namespace audio {

CRawDecoder::CRawDecoder(IDataSource* source, int frequency, AudioFormat format)
	: CPcmDecoder(source)
	, Frequency(frequency)
	, Format(format)
{
	// A rate of 0 has no time, and an unknown layout no frame size OpenAL
	// would agree with.
	Valid = Source && Source->isValid() && frequency > 0 && isKnownFormat(format);
}

double CRawDecoder::getBytesPerSecond() const
{
	return double(Frequency) * getFrameSize(Format);
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

} // namespace audio
} // namespace orv
