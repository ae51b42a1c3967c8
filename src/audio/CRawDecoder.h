#pragma once

#include "audio/IAudioDecoder.h"

namespace orv {
namespace audio {

//! Headerless PCM whose rate and layout the caller gives.
class CRawDecoder : public IAudioDecoder
{
public:
	//! Valid for a rate above 0 and one of the four layouts.
	CRawDecoder(IDataSource* source, int frequency, AudioFormat format);

	AudioFormat getFormat() override { return Format; }
	int getFrequency() override { return Frequency; }
	bool isSeekable() override { return true; }
	bool isValid() override { return Valid; }
	int read(void* output, int bytes) override;
	//! A byte position of the source.
	bool setPosition(int position, bool relative) override;
	//! Lands on the start of a sample frame.
	bool seek(float seconds, bool relative) override;
	float getTotalTime() override;
	int getTotalSize() override;
	int getCompressedSize() override;
	float getCurrentTime() override;
	int getCurrentPosition() override;
	int getCurrentCompressedPosition() override;

private:
	float getBytesPerSecond() const;

	int Frequency;
	AudioFormat Format;
	bool Valid;
};

} // namespace audio
} // namespace orv
