#pragma once

#include <cstdint>

#include "audio/CPcmDecoder.h"

namespace orv {
namespace audio {

//! RIFF WAVE files of PCM, 1 or 2 channels of 8 or 16 bits (the extensible
//! form included). The chunks are walked in any order; a data chunk longer
//! than the file ends with the file.
class CWavDecoder : public CPcmDecoder
{
public:
	explicit CWavDecoder(IDataSource* source);

	AudioFormat getFormat() override;
	int getFrequency() override { return static_cast<int>(SampleRate); }
	bool isValid() override { return Valid; }
	//! Reads within the data chunk only.
	int read(void* output, int bytes) override;
	//! A byte position of the source, kept inside the data chunk and moved
	//! back to the start of its sample frame.
	bool setPosition(int position, bool relative) override;
	//! Times count from the start of the file, header included, as the
	//! times the base class gives do.
	bool seek(float seconds, bool relative) override;

	//! Byte offset of the first sample.
	uint32_t getDataOffset() const { return DataOffset; }
	//! Bytes of samples, as far as the file holds them.
	uint32_t getDataSize() const { return DataSize; }

private:
	bool parse();
	bool readFormat(uint32_t chunkSize);
	double getBytesPerSecond() const override;
	int getFrameBytes() const;
	int64_t getDataEnd() const { return int64_t(DataOffset) + DataSize; }

	uint16_t Channels = 0;
	uint32_t SampleRate = 0;
	uint32_t ByteRate = 0;
	uint16_t BlockAlign = 0;
	uint16_t BitsPerSample = 0;
	uint32_t DataSize = 0;
	uint32_t DataOffset = 0;
	bool Valid = false;
};

} // namespace audio
} // namespace orv
