// The audio decoders and data sources over any bytes: a memory source (and
// a file source over the same bytes) under the WAV, Ogg or raw decoder, read
// to the end in blocks of changing size with seeks, rewinds and the totals
// in between, as an audio source's refills and the game's questions do.
//
// Input: [decoder byte][raw format byte][operation seed byte][sound bytes].

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "audio/CFileSourceFactory.h"
#include "audio/CMemorySource.h"
#include "audio/DecoderFactories.h"

using namespace orv::audio;

namespace {

// One refill's worth at most, as the audio source asks.
const int BLOCK_SIZE = 65536;
// Bounds each input's work: a small file may loop through many rewinds.
const int MAX_READS = 400;

IAudioDecoder* makeDecoder(uint8_t kind, uint8_t format, IDataSource* source)
{
	switch (kind % 4)
	{
	case 0:
		return getWavDecoderFactory()->createAudioDecoder(source);
	case 1:
		return getOggDecoderFactory()->createAudioDecoder(source);
	case 2:
		return getRawDecoderFactory()->createAudioDecoder(source);
	default:
		return getRawDecoderFactory()->createAudioDecoder(
			source, 8000 * (1 + format % 6), static_cast<AudioFormat>(format % 5));
	}
}

void exercise(IAudioDecoder* decoder, uint8_t seed)
{
	if (!decoder)
		return;
	// Fresh for every input: nothing one input left may shape the next.
	std::vector<char> block(BLOCK_SIZE);
	decoder->getFormat();
	decoder->getFrequency();
	decoder->getTotalTime();
	decoder->getTotalSize();
	decoder->getCompressedSize();
	uint32_t state = seed * 2654435761u + 1;
	for (int i = 0; i < MAX_READS; ++i)
	{
		state = state * 1103515245u + 12345u;
		const int got = decoder->read(block.data(), 1 + static_cast<int>(state % BLOCK_SIZE));
		switch ((state >> 16) % 8)
		{
		case 0:
			decoder->setPosition(0, false);
			break;
		case 1:
			decoder->seek(static_cast<float>((state >> 8) % 1000) / 100.0f, (state & 1) != 0);
			break;
		case 2:
			decoder->setPosition(static_cast<int>(state >> 4) - (1 << 27), (state & 2) != 0);
			break;
		case 3:
			decoder->seek(-1.0e12f, false);
			break;
		default:
			break;
		}
		decoder->getCurrentTime();
		decoder->getCurrentPosition();
		decoder->getCurrentCompressedPosition();
		if (got == 0 && (state & 4))
			break;
	}
}

std::string writeTemporaryFile(const uint8_t* data, size_t size)
{
	char path[] = "/tmp/orv-fuzz-audio-XXXXXX";
	const int fd = mkstemp(path);
	if (fd < 0)
		return std::string();
	size_t written = 0;
	while (written < size)
	{
		const ssize_t n = write(fd, data + written, size - written);
		if (n <= 0)
			break;
		written += static_cast<size_t>(n);
	}
	close(fd);
	return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size < 3)
		return 0;
	const uint8_t kind = data[0], format = data[1], seed = data[2];
	const uint8_t* sound = data + 3;
	const int length = static_cast<int>(size - 3);

	CMemorySource* memory = new CMemorySource(sound, length);
	IAudioDecoder* decoder = makeDecoder(kind, format, memory);
	memory->drop();
	exercise(decoder, seed);
	if (decoder)
		decoder->drop();

	// The same bytes streamed from a file, now and then.
	if (seed % 8 == 0)
	{
		const std::string path = writeTemporaryFile(sound, static_cast<size_t>(length));
		IDataSource* file = getFileSourceFactory()->createDataSource(path.c_str(), true);
		if (file && file->isValid())
		{
			IAudioDecoder* streamed = makeDecoder(kind, format, file);
			exercise(streamed, seed);
			if (streamed)
				streamed->drop();
		}
		if (file)
			file->drop();
		std::remove(path.c_str());
	}
	return 0;
}
