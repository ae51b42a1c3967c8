#pragma once

#include "audio/IAudioDecoder.h"

namespace orv {
namespace audio {

//! Base of the decoders whose PCM is the source's bytes as they stand (WAV,
//! raw): sizes and positions are the source's, times are bytes over the
//! byte rate, counted from the source's start.
class CPcmDecoder : public IAudioDecoder
{
public:
	bool isSeekable() override { return true; }
	float getTotalTime() override;
	int getTotalSize() override;
	int getCompressedSize() override;
	float getCurrentTime() override;
	int getCurrentPosition() override;
	int getCurrentCompressedPosition() override;

protected:
	explicit CPcmDecoder(IDataSource* source) : IAudioDecoder(source) {}
	//! Bytes of PCM per second; 0 when unknown.
	virtual double getBytesPerSecond() const = 0;
};

} // namespace audio
} // namespace orv
