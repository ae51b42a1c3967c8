#include "audio/CWavDecoder.h"

#include <climits>
#include <cstring>

#include "audio/ClampedNumber.h"
#include "base/ByteOrder.h"

namespace orv {
namespace audio {

namespace {

const uint16_t FORMAT_PCM = 1;
const uint16_t FORMAT_EXTENSIBLE = 0xFFFE;
// The smallest RIFF size accepted, as the canonical 44-byte header counts it.
const int32_t MINIMUM_RIFF_SIZE = 44;
// Channel count, rate, byte rate, block align and bits: the part every
// format chunk has.
const uint32_t BASIC_FORMAT_SIZE = 16;
// The extensible form adds a size, valid bits, a channel mask and the GUID
// of the real format.
const uint32_t EXTENSIBLE_FORMAT_SIZE = 40;
// KSDATAFORMAT_SUBTYPE_PCM: the format tag 1 in the first two bytes.
const unsigned char PCM_SUBFORMAT[16] = {
	0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool readBytes(IDataSource* source, void* out, int count)
{
	return source->read(out, count) == count;
}

bool readU16(IDataSource* source, uint16_t& value)
{
	unsigned char b[2];
	if (!readBytes(source, b, 2))
		return false;
	value = readLE16(b);
	return true;
}

bool readU32(IDataSource* source, uint32_t& value)
{
	unsigned char b[4];
	if (!readBytes(source, b, 4))
		return false;
	value = readLE32(b);
	return true;
}

bool readTag(IDataSource* source, const char* expected)
{
	char tag[4];
	return readBytes(source, tag, 4) && std::memcmp(tag, expected, 4) == 0;
}

} // namespace

CWavDecoder::CWavDecoder(IDataSource* source) : CPcmDecoder(source)
{
	Valid = Source && Source->isValid() && parse();
}

bool CWavDecoder::readFormat(uint32_t chunkSize)
{
	uint16_t tag = 0;
	if (chunkSize < BASIC_FORMAT_SIZE || !readU16(Source, tag) || !readU16(Source, Channels) ||
		!readU32(Source, SampleRate) || !readU32(Source, ByteRate) || !readU16(Source, BlockAlign) ||
		!readU16(Source, BitsPerSample))
		return false;
	if (tag == FORMAT_EXTENSIBLE)
	{
		uint16_t extraSize = 0, validBits = 0;
		uint32_t channelMask = 0;
		unsigned char subFormat[16];
		if (chunkSize < EXTENSIBLE_FORMAT_SIZE || !readU16(Source, extraSize) || !readU16(Source, validBits) ||
			!readU32(Source, channelMask) || !readBytes(Source, subFormat, 16))
			return false;
		if (std::memcmp(subFormat, PCM_SUBFORMAT, sizeof PCM_SUBFORMAT) != 0)
			return false;
	}
	else if (tag != FORMAT_PCM)
	{
		return false;
	}
	// OpenAL takes the rate as a signed int.
	return (Channels == 1 || Channels == 2) && (BitsPerSample == 8 || BitsPerSample == 16) && SampleRate > 0 &&
		SampleRate <= uint32_t(INT_MAX);
}

bool CWavDecoder::parse()
{
	uint32_t riffSize = 0;
	if (!Source->seek(0, false) || !readTag(Source, "RIFF") || !readU32(Source, riffSize) ||
		static_cast<int32_t>(riffSize) < MINIMUM_RIFF_SIZE || !readTag(Source, "WAVE"))
		return false;

	const int64_t fileSize = Source->getSize();
	bool haveFormat = false;
	bool haveData = false;
	int64_t chunkStart = Source->getCurrentPos();
	while (!(haveFormat && haveData) && chunkStart + 8 <= fileSize)
	{
		char id[4];
		uint32_t size = 0;
		if (!Source->seek(static_cast<int>(chunkStart), false) || !readBytes(Source, id, 4) || !readU32(Source, size))
			return false;
		const int64_t body = chunkStart + 8;
		if (std::memcmp(id, "fmt ", 4) == 0 && !haveFormat)
		{
			if (!readFormat(size))
				return false;
			haveFormat = true;
		}
		else if (std::memcmp(id, "data", 4) == 0 && !haveData)
		{
			DataOffset = static_cast<uint32_t>(body);
			// A cut file keeps the samples it has.
			DataSize = static_cast<uint32_t>(int64_t(size) < fileSize - body ? int64_t(size) : fileSize - body);
			haveData = true;
		}
		// Chunks of odd size are followed by one byte of padding.
		chunkStart = body + size + (size & 1);
	}
	// Reading starts at the first sample wherever the walk ended.
	return haveFormat && haveData && Source->seek(static_cast<int>(DataOffset), false);
}

double CWavDecoder::getBytesPerSecond() const
{
	return double(SampleRate) * Channels * (BitsPerSample / 8);
}

int CWavDecoder::getFrameBytes() const
{
	const int bytes = Channels * (BitsPerSample / 8);
	return bytes > 0 ? bytes : 1;
}

AudioFormat CWavDecoder::getFormat()
{
	if (Channels == 1)
		return BitsPerSample == 8 ? MONO8 : BitsPerSample == 16 ? MONO16 : STEREO16;
	if (Channels == 2 && BitsPerSample == 8)
		return STEREO8;
	return STEREO16;
}

int CWavDecoder::read(void* output, int bytes)
{
	if (!Valid || bytes <= 0)
		return 0;
	int64_t position = Source->getCurrentPos();
	if (position > getDataEnd())
		return 0;
	if (position < DataOffset)
	{
		Source->seek(static_cast<int>(DataOffset), false);
		position = Source->getCurrentPos();
	}
	const int64_t left = getDataEnd() - position;
	const int count = left < bytes ? static_cast<int>(left < 0 ? 0 : left) : bytes;
	return count > 0 ? Source->read(output, count) : 0;
}

bool CWavDecoder::setPosition(int position, bool relative)
{
	if (!Valid)
		return false;
	int64_t target = relative ? int64_t(Source->getCurrentPos()) + position : int64_t(position);
	if (target < DataOffset)
		target = DataOffset;
	if (target > getDataEnd())
		target = getDataEnd();
	// Half a frame would swap the channels or split a sample.
	target -= (target - DataOffset) % getFrameBytes();
	Source->seek(static_cast<int>(target), false);
	return true;
}

bool CWavDecoder::seek(float seconds, bool relative)
{
	return setPosition(truncateToInt(double(SampleRate) * seconds * Channels * (BitsPerSample / 8)), relative);
}

} // namespace audio
} // namespace orv
