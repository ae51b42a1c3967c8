#pragma once

#include "audio/CPcmDecoder.h"

namespace orv {
namespace audio {

//! Headerless PCM whose rate and layout the caller gives.
class CRawDecoder : public CPcmDecoder
{
public:
	//! Valid for a rate above 0 and one of the four layouts.
	CRawDecoder(IDataSource* source, int frequency, AudioFormat format);

	AudioFormat getFormat() override { return Format; }
	int getFrequency() override { return Frequency; }
	bool isValid() override { return Valid; }
	int read(void* output, int bytes) override;
	//! A byte position of the source.
	bool setPosition(int position, bool relative) override;
	//! Lands on the start of a sample frame.
	bool seek(float seconds, bool relative) override;

private:
	double getBytesPerSecond() const override;

	int Frequency;
	AudioFormat Format;
	bool Valid;
};

} // namespace audio
} // namespace orv
