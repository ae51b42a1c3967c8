#include "audio/DecoderFactories.h"

#include "audio/COggDecoder.h"
#include "audio/CRawDecoder.h"
#include "audio/CWavDecoder.h"

namespace orv {
namespace audio {

namespace {

const int DEFAULT_RAW_FREQUENCY = 22050;

} // namespace

IAudioDecoder* COggAudioDecoderFactory::createAudioDecoder(IDataSource* source)
{
	CAudioLock lock(Mutex);
	return new COggDecoder(source);
}

IAudioDecoder* CWavAudioDecoderFactory::createAudioDecoder(IDataSource* source)
{
	CAudioLock lock(Mutex);
	return new CWavDecoder(source);
}

IAudioDecoder* CRawAudioDecoderFactory::createAudioDecoder(IDataSource* source)
{
	return createAudioDecoder(source, DEFAULT_RAW_FREQUENCY, MONO16);
}

IAudioDecoder* CRawAudioDecoderFactory::createAudioDecoder(IDataSource* source, int frequency, AudioFormat format)
{
	CAudioLock lock(Mutex);
	return new CRawDecoder(source, frequency, format);
}

COggAudioDecoderFactory* getOggDecoderFactory()
{
	static COggAudioDecoderFactory factory;
	return &factory;
}

CWavAudioDecoderFactory* getWavDecoderFactory()
{
	static CWavAudioDecoderFactory factory;
	return &factory;
}

CRawAudioDecoderFactory* getRawDecoderFactory()
{
	static CRawAudioDecoderFactory factory;
	return &factory;
}

} // namespace audio
} // namespace orv
