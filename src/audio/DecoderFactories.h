#pragma once
// The three built-in decoder factories, one object of each per process,
// registered by every manager under "ogg", "wav" and "raw".

#include "audio/CAudioMutex.h"
#include "audio/IAudioDecoder.h"

namespace orv {
namespace audio {

class COggAudioDecoderFactory : public IAudioDecoderFactory
{
public:
	IAudioDecoder* createAudioDecoder(IDataSource* source) override;

private:
	CAudioMutex Mutex;
};

class CWavAudioDecoderFactory : public IAudioDecoderFactory
{
public:
	IAudioDecoder* createAudioDecoder(IDataSource* source) override;

private:
	CAudioMutex Mutex;
};

class CRawAudioDecoderFactory : public IAudioDecoderFactory
{
public:
	//! 22050 Hz MONO16.
	IAudioDecoder* createAudioDecoder(IDataSource* source) override;
	IAudioDecoder* createAudioDecoder(IDataSource* source, int frequency, AudioFormat format);

private:
	CAudioMutex Mutex;
};

COggAudioDecoderFactory* getOggDecoderFactory();
CWavAudioDecoderFactory* getWavDecoderFactory();
CRawAudioDecoderFactory* getRawDecoderFactory();

} // namespace audio
} // namespace orv
