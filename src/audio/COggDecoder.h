#pragma once

#include <tremor/ivorbisfile.h>

#include "audio/IAudioDecoder.h"

namespace orv {
namespace audio {

//! Ogg Vorbis through Tremor, as 16-bit PCM. Streams of more than two
//! channels are refused: no layout of ours carries them; so is a link
//! without a rate, channels or samples.
class COggDecoder : public IAudioDecoder
{
public:
	explicit COggDecoder(IDataSource* source);
	~COggDecoder() override;

	AudioFormat getFormat() override;
	int getFrequency() override;
	bool isSeekable() override;
	bool isValid() override { return Valid; }
	int read(void* output, int bytes) override;
	//! A byte position in the compressed stream.
	bool setPosition(int position, bool relative) override;
	bool seek(float seconds, bool relative) override;
	float getTotalTime() override;
	//! Samples of all links times channels.
	int getTotalSize() override;
	int getCompressedSize() override;
	float getCurrentTime() override;
	int getCurrentPosition() override;
	int getCurrentCompressedPosition() override;

private:
	int getChannels();
	int getFrameBytes();
	double getCurrentSeconds();

	ov_callbacks Callbacks;
	OggVorbis_File File;
	// Set by a successful open, which the destructor must undo.
	bool Opened = false;
	// Sample frames read since the start, where a stalled read resumes.
	ogg_int64_t DecodedFrames = 0;
	bool Valid = false;
};

} // namespace audio
} // namespace orv
