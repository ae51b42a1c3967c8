#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "AudioTestSupport.h"
#include "audio/CMemorySource.h"
#include "audio/COggDecoder.h"
#include "audio/CRawDecoder.h"
#include "audio/CWavDecoder.h"
#include "audio/DecoderFactories.h"

using namespace orv::audio;
using orv::test::Bytes;
using orv::test::makeWav;
using orv::test::readFixture;
using orv::test::SWavSpec;
using orv::test::wavDataOffset;

namespace {

IAudioDecoder* decoderOver(IAudioDecoderFactory* factory, const Bytes& bytes)
{
	CMemorySource* source = new CMemorySource(bytes.data(), static_cast<int>(bytes.size()));
	IAudioDecoder* decoder = factory->createAudioDecoder(source);
	source->drop();
	return decoder;
}

// Every byte the decoder gives until its end, in reads of `chunk` bytes.
Bytes decodeAll(IAudioDecoder* decoder, int chunk = 4096)
{
	Bytes out;
	Bytes block(static_cast<size_t>(chunk));
	for (int got; (got = decoder->read(block.data(), chunk)) > 0;)
		out.insert(out.end(), block.begin(), block.begin() + got);
	return out;
}

// The CRC of an Ogg page: polynomial 0x04C11DB7, MSB first, over the page
// with its CRC field zeroed.
uint32_t oggPageCrc(const Bytes& page, size_t start, size_t length)
{
	uint32_t crc = 0;
	for (size_t i = 0; i < length; ++i)
	{
		const uint8_t byte = (i >= 22 && i < 26) ? 0 : static_cast<uint8_t>(page[start + i]);
		crc ^= uint32_t(byte) << 24;
		for (int bit = 0; bit < 8; ++bit)
			crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
	}
	return crc;
}

// The chained fixture with bytes of its second link's identification header
// changed (offsets into that packet), the page's CRC made right again so
// that the damage reaches the Vorbis layer.
Bytes chainedWithSecondHeader(const std::vector<std::pair<size_t, uint8_t>>& changes)
{
	Bytes bytes = readFixture("chained.ogg");
	size_t page = 0;
	for (size_t i = 1; i + 27 < bytes.size(); ++i)
		if (std::memcmp(&bytes[i], "OggS", 4) == 0 && (bytes[i + 5] & 0x02))
		{
			page = i;
			break;
		}
	if (page == 0)
		return Bytes();
	const size_t segments = static_cast<uint8_t>(bytes[page + 26]);
	size_t body = 0;
	for (size_t i = 0; i < segments; ++i)
		body += static_cast<uint8_t>(bytes[page + 27 + i]);
	const size_t header = 27 + segments;
	for (const auto& change : changes)
		bytes[page + header + change.first] = static_cast<char>(change.second);
	const uint32_t crc = oggPageCrc(bytes, page, header + body);
	for (int i = 0; i < 4; ++i)
		bytes[page + 22 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
	return bytes;
}

SWavSpec spec(uint16_t channels, uint16_t bits)
{
	SWavSpec s;
	s.channels = channels;
	s.bits = bits;
	return s;
}

} // namespace

TEST(AudioWavDecoder, HeadersAcceptedAndRefused)
{
	SWavSpec extensible = spec(2, 16);
	extensible.extensible = true;
	SWavSpec listFirst = spec(1, 8);
	listFirst.listChunkFirst = true;
	SWavSpec dataFirst = spec(2, 8);
	dataFirst.dataFirst = true;
	SWavSpec truncated = spec(1, 16);
	truncated.truncatedBy = 50;
	SWavSpec odd = spec(1, 8);
	odd.oddDataSize = true;
	SWavSpec riff40 = spec(1, 16);
	riff40.riffSize = 40;
	SWavSpec floatTag = spec(1, 16);
	floatTag.formatTag = 3;
	SWavSpec floatExtensible = spec(1, 16);
	floatExtensible.extensible = true;
	floatExtensible.formatTag = 3;
	SWavSpec rateZero = spec(1, 16);
	rateZero.rate = 0;
	SWavSpec rateTooHigh = spec(1, 16);
	rateTooHigh.rate = 0x80000000u;
	SWavSpec rateHighest = spec(1, 16);
	rateHighest.rate = 0x7FFFFFFFu;

	struct Case
	{
		const char* name;
		SWavSpec spec;
		bool valid;
		AudioFormat format;
		uint32_t dataSize;
	} cases[] = {
		{"mono 8", spec(1, 8), true, MONO8, 100},
		{"mono 16", spec(1, 16), true, MONO16, 200},
		{"stereo 8", spec(2, 8), true, STEREO8, 200},
		{"stereo 16", spec(2, 16), true, STEREO16, 400},
		{"extensible", extensible, true, STEREO16, 400},
		{"odd chunk before fmt", listFirst, true, MONO8, 100},
		{"data before fmt", dataFirst, true, STEREO8, 200},
		{"data cut short", truncated, true, MONO16, 150},
		{"odd data size", odd, true, MONO8, 101},
		{"RIFF size 40", riff40, false, MONO16, 0},
		{"float tag", floatTag, false, MONO16, 0},
		{"extensible float", floatExtensible, false, MONO16, 0},
		{"three channels", spec(3, 16), false, STEREO16, 0},
		{"24 bits", spec(1, 24), false, STEREO16, 0},
		{"rate 0", rateZero, false, MONO16, 0},
		{"rate above INT_MAX", rateTooHigh, false, MONO16, 0},
		{"rate INT_MAX", rateHighest, true, MONO16, 200},
	};
	for (const Case& c : cases)
	{
		CWavDecoder* decoder = static_cast<CWavDecoder*>(decoderOver(getWavDecoderFactory(), makeWav(c.spec)));
		ASSERT_NE(decoder, nullptr);
		EXPECT_EQ(decoder->isValid(), c.valid) << c.name;
		if (c.valid)
		{
			EXPECT_EQ(decoder->getFormat(), c.format) << c.name;
			EXPECT_EQ(decoder->getDataOffset(), wavDataOffset(c.spec)) << c.name;
			EXPECT_EQ(decoder->getDataSize(), c.dataSize) << c.name;
			EXPECT_EQ(decodeAll(decoder, 7).size(), c.dataSize) << c.name;
		}
		decoder->drop();
	}
}

TEST(AudioWavDecoder, NotAWavFile)
{
	const Bytes cases[] = {Bytes(), Bytes(10, 'x'), Bytes{'R', 'I', 'F', 'F'}, readFixture("mono_440.ogg")};
	for (const Bytes& bytes : cases)
	{
		IAudioDecoder* decoder = decoderOver(getWavDecoderFactory(), bytes);
		EXPECT_FALSE(decoder->isValid());
		EXPECT_EQ(decoder->read(nullptr, 10), 0);
		decoder->drop();
	}
}

TEST(AudioWavDecoder, PlainFileReadsAndPositions)
{
	// 16-bit stereo, 100 frames: data at 44, 400 bytes, end at 444.
	IAudioDecoder* decoder = decoderOver(getWavDecoderFactory(), makeWav(spec(2, 16)));
	ASSERT_TRUE(decoder->isValid());
	EXPECT_EQ(decoder->getFrequency(), 22050);
	EXPECT_TRUE(decoder->isSeekable());

	struct Case
	{
		const char* name;
		int position;
		bool relative;
		int expected;
	} cases[] = {
		{"absolute 0 goes to the data", 0, false, 44},
		{"back past the data stays at it", -100, true, 44},
		{"inside", 104, false, 104},
		{"inside a frame goes to its start", 107, false, 104},
		{"forward past the end stops at the end", 1000, true, 444},
		{"absolute past the end", 5000, false, 444},
		{"relative from the end", -40, true, 404},
	};
	for (const Case& c : cases)
	{
		EXPECT_TRUE(decoder->setPosition(c.position, c.relative)) << c.name;
		EXPECT_EQ(decoder->getCurrentPosition(), c.expected) << c.name;
	}

	char out[1000];
	decoder->setPosition(434, false);
	EXPECT_EQ(decoder->getCurrentPosition(), 432);
	EXPECT_EQ(decoder->read(out, 1000), 12);
	EXPECT_EQ(decoder->read(out, 1000), 0);

	EXPECT_TRUE(decoder->seek(0.0f, false));
	EXPECT_EQ(decoder->getCurrentPosition(), 44);
	// Times count the header too: 22050 x 4 bytes per second.
	EXPECT_TRUE(decoder->seek(0.002f, false));
	EXPECT_EQ(decoder->getCurrentPosition(), 176);
	EXPECT_FLOAT_EQ(decoder->getTotalTime(), 444.0f / 88200.0f);
	EXPECT_EQ(decoder->getTotalSize(), 444);
	EXPECT_EQ(decoder->getCompressedSize(), 444);
	decoder->drop();
}

TEST(AudioOggDecoder, Fixtures)
{
	struct Case
	{
		const char* file;
		AudioFormat format;
		int frequency;
		float seconds;
	} cases[] = {
		{"mono_440.ogg", MONO16, 22050, 1.0f},
		{"stereo_440.ogg", STEREO16, 44100, 1.0f},
		{"chained.ogg", MONO16, 22050, 1.0f},
		{"three_seconds.ogg", MONO16, 22050, 3.0f},
	};
	for (const Case& c : cases)
	{
		IAudioDecoder* decoder = decoderOver(getOggDecoderFactory(), readFixture(c.file));
		ASSERT_TRUE(decoder->isValid()) << c.file;
		EXPECT_EQ(decoder->getFormat(), c.format) << c.file;
		EXPECT_EQ(decoder->getFrequency(), c.frequency) << c.file;
		EXPECT_TRUE(decoder->isSeekable()) << c.file;
		EXPECT_NEAR(decoder->getTotalTime(), c.seconds, 0.01f) << c.file;
		const int channels = c.format == MONO16 ? 1 : 2;
		EXPECT_EQ(decoder->getTotalSize(), static_cast<int>(c.seconds * c.frequency) * channels) << c.file;
		EXPECT_GT(decoder->getCompressedSize(), 0) << c.file;
		EXPECT_LE(decoder->getCompressedSize(), static_cast<int>(readFixture(c.file).size())) << c.file;

		const Bytes first = decodeAll(decoder);
		EXPECT_EQ(first.size(), static_cast<size_t>(decoder->getTotalSize()) * 2) << c.file;
		EXPECT_EQ(decoder->read(nullptr, 100), 0);

		// A rewind gives the same samples again.
		EXPECT_TRUE(decoder->setPosition(0, false)) << c.file;
		EXPECT_EQ(decodeAll(decoder, 1000), first) << c.file;

		EXPECT_TRUE(decoder->seek(0.5f, false)) << c.file;
		EXPECT_NEAR(decoder->getCurrentTime(), 0.5f, 0.01f) << c.file;
		EXPECT_NEAR(decoder->getCurrentPosition(), c.frequency / 2 * channels, 2 * channels) << c.file;
		EXPECT_TRUE(decoder->seek(0.25f, true)) << c.file;
		EXPECT_NEAR(decoder->getCurrentTime(), 0.75f, 0.01f) << c.file;
		EXPECT_FALSE(decoder->seek(-1.0f, false)) << c.file;
		decoder->drop();
	}
}

TEST(AudioOggDecoder, ReadsOfLessThanAFrameGiveNothing)
{
	IAudioDecoder* decoder = decoderOver(getOggDecoderFactory(), readFixture("stereo_440.ogg"));
	char out[4];
	EXPECT_EQ(decoder->read(out, 3), 0);
	EXPECT_EQ(decoder->read(out, 4), 4);
	decoder->drop();
}

TEST(AudioOggDecoder, Refusals)
{
	const Bytes whole = readFixture("mono_440.ogg");
	struct Case
	{
		const char* name;
		Bytes bytes;
	} cases[] = {
		{"six channels", readFixture("six_channels.ogg")},
		{"headers cut", Bytes(whole.begin(), whole.begin() + 100)},
		{"not Ogg", makeWav(SWavSpec())},
		{"nothing", Bytes()},
	};
	for (const Case& c : cases)
	{
		IAudioDecoder* decoder = decoderOver(getOggDecoderFactory(), c.bytes);
		ASSERT_NE(decoder, nullptr);
		EXPECT_FALSE(decoder->isValid()) << c.name;
		EXPECT_EQ(decoder->getFormat(), MONO8) << c.name;
		EXPECT_EQ(decoder->getFrequency(), 0) << c.name;
		EXPECT_FALSE(decoder->isSeekable()) << c.name;
		EXPECT_FALSE(decoder->setPosition(0, false)) << c.name;
		EXPECT_FALSE(decoder->seek(0.0f, false)) << c.name;
		char out[16];
		EXPECT_EQ(decoder->read(out, 16), 0) << c.name;
		decoder->drop();
	}
	IAudioDecoder* none = decoderOver(getOggDecoderFactory(), Bytes());
	EXPECT_EQ(none->getCompressedSize(), OV_EINVAL);
	EXPECT_LT(none->getTotalTime(), 0.0f);
	none->drop();
}

TEST(AudioOggDecoder, LinksWithoutRateOrChannelsAreRefused)
{
	// In the identification packet: channels at 11, the rate's four bytes
	// from 12.
	struct Case
	{
		const char* name;
		std::vector<std::pair<size_t, uint8_t>> changes;
		bool valid;
	} cases[] = {
		{"unchanged", {{11, 1}}, true},
		{"no channels", {{11, 0}}, false},
		{"rate 0", {{12, 0}, {13, 0}, {14, 0}, {15, 0}}, false},
	};
	for (const Case& c : cases)
	{
		const Bytes bytes = chainedWithSecondHeader(c.changes);
		ASSERT_FALSE(bytes.empty());
		IAudioDecoder* decoder = decoderOver(getOggDecoderFactory(), bytes);
		EXPECT_EQ(decoder->isValid(), c.valid) << c.name;
		// Nothing divides by the missing rate.
		decoder->getTotalTime();
		decoder->getCurrentTime();
		decoder->seek(0.5f, true);
		decoder->drop();
	}
}

TEST(AudioOggDecoder, CutStreamsDecodeWhatTheyHold)
{
	const Bytes whole = readFixture("sixty_seconds_stereo.ogg");
	IAudioDecoder* decoder = decoderOver(
		getOggDecoderFactory(), Bytes(whole.begin(), whole.begin() + whole.size() / 2));
	ASSERT_TRUE(decoder->isValid());
	const size_t bytes = decodeAll(decoder).size();
	EXPECT_EQ(bytes, static_cast<size_t>(decoder->getTotalSize()) * 2);
	EXPECT_GT(decoder->getTotalTime(), 20.0f);
	EXPECT_LT(decoder->getTotalTime(), 40.0f);
	decoder->drop();
}

TEST(AudioRawDecoder, RatesLayoutsAndSeeks)
{
	const Bytes pcm(88200, 1);
	IAudioDecoder* plain = decoderOver(getRawDecoderFactory(), pcm);
	EXPECT_TRUE(plain->isValid());
	EXPECT_EQ(plain->getFrequency(), 22050);
	EXPECT_EQ(plain->getFormat(), MONO16);
	EXPECT_TRUE(plain->seek(1.0f, false));
	EXPECT_EQ(plain->getCurrentPosition(), 44100);
	EXPECT_FLOAT_EQ(plain->getTotalTime(), 2.0f);
	EXPECT_FLOAT_EQ(plain->getCurrentTime(), 1.0f);
	plain->drop();

	struct Case
	{
		const char* name;
		int frequency;
		int format;
		bool valid;
		int bytesAfterOneMillisecond;
	} cases[] = {
		{"mono 8", 8000, MONO8, true, 8},
		{"stereo 8", 8000, STEREO8, true, 16},
		{"stereo 16", 8000, STEREO16, true, 32},
		{"half a frame lands on its start", 12500, STEREO16, true, 48},
		{"rate 0", 0, MONO16, false, 0},
		{"unknown layout", 8000, 9, false, 0},
	};
	for (const Case& c : cases)
	{
		CMemorySource* source = new CMemorySource(pcm.data(), static_cast<int>(pcm.size()));
		IAudioDecoder* decoder = getRawDecoderFactory()->createAudioDecoder(
			source, c.frequency, static_cast<AudioFormat>(c.format));
		source->drop();
		EXPECT_EQ(decoder->isValid(), c.valid) << c.name;
		if (c.valid)
		{
			decoder->seek(0.001f, false);
			EXPECT_EQ(decoder->getCurrentPosition(), c.bytesAfterOneMillisecond) << c.name;
		}
		decoder->drop();
	}
}
