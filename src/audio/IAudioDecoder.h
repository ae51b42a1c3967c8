#pragma once

#include "audio/AudioFormat.h"
#include "audio/IDataSource.h"

namespace orv {
namespace audio {

//! Turns the bytes of one data source into PCM for one audio source.
/** Holds a reference to its data source from construction to destruction.
    Used by one audio source only, under that source's lock. */
class IAudioDecoder : public IRefCounted
{
public:
	virtual AudioFormat getFormat() = 0;
	//! Sample frames per second.
	virtual int getFrequency() = 0;
	virtual bool isSeekable() = 0;
	virtual bool isValid() = 0;
	//! Bytes of PCM written: 0 at the end, negative on an error.
	virtual int read(void* output, int bytes) = 0;
	//! Moves to a position in the decoder's own byte measure; 0 rewinds.
	virtual bool setPosition(int position, bool relative) = 0;
	virtual bool seek(float seconds, bool relative) = 0;
	virtual float getTotalTime() = 0;
	virtual int getTotalSize() = 0;
	virtual int getCompressedSize() = 0;
	virtual float getCurrentTime() = 0;
	virtual int getCurrentPosition() = 0;
	virtual int getCurrentCompressedPosition() = 0;

protected:
	explicit IAudioDecoder(IDataSource* source) : Source(source)
	{
		if (Source)
			Source->grab();
	}
	~IAudioDecoder() override
	{
		if (Source)
			Source->drop();
	}

	IDataSource* Source;
};

//! Makes decoders of one kind; registered with a manager under a file
//! extension.
class IAudioDecoderFactory
{
public:
	virtual ~IAudioDecoderFactory() = default;
	//! A decoder over the source, valid or not; null only when it could not
	//! be allocated.
	virtual IAudioDecoder* createAudioDecoder(IDataSource* source) = 0;
};

} // namespace audio
} // namespace orv
