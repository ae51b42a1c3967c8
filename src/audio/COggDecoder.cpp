#include "audio/COggDecoder.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "audio/ClampedNumber.h"

namespace orv {
namespace audio {

namespace {

size_t readCallback(void* buffer, size_t size, size_t count, void* source)
{
	const size_t wanted = size * count;
	const int bytes = wanted > size_t(INT_MAX) ? INT_MAX : static_cast<int>(wanted);
	const int got = static_cast<IDataSource*>(source)->read(buffer, bytes);
	return got > 0 ? static_cast<size_t>(got) : 0;
}

// Tremor reads 64-bit offsets; sources are 32-bit, so a farther target stops
// at the source's end rather than wrapping to a position it never meant. A
// source that stops short of the target leaves Tremor reading at its end,
// which it takes for the end of the stream: reporting the miss instead sends
// Tremor down error paths that lose memory.
int seekCallback(void* source, ogg_int64_t offset, int whence)
{
	IDataSource* data = static_cast<IDataSource*>(source);
	switch (whence)
	{
	case SEEK_SET:
		data->seek(clampToInt(offset), false);
		break;
	case SEEK_CUR:
		data->seek(clampToInt(offset), true);
		break;
	case SEEK_END:
		data->seek(clampToInt(int64_t(data->getSize()) + offset), false);
		break;
	default:
		break;
	}
	return 0;
}

// The decoder's destructor drops the source.
int closeCallback(void*)
{
	return 0;
}

long tellCallback(void* source)
{
	return static_cast<IDataSource*>(source)->getCurrentPos();
}

} // namespace

COggDecoder::COggDecoder(IDataSource* source) : IAudioDecoder(source)
{
	Callbacks.read_func = readCallback;
	Callbacks.seek_func = seekCallback;
	Callbacks.close_func = closeCallback;
	Callbacks.tell_func = tellCallback;
	std::memset(&File, 0, sizeof File);
	if (!Source || !Source->isValid())
		return;
	Opened = ov_open_callbacks(Source, &File, nullptr, 0, Callbacks) == 0;
	if (!Opened)
		return;
	// Every link must fit a layout, and have a rate and samples that Tremor
	// divides by; a later six-channel link would otherwise be played as
	// stereo noise.
	const long links = ov_streams(&File);
	Valid = links > 0;
	for (long i = 0; i < links && Valid; ++i)
	{
		const vorbis_info* info = ov_info(&File, static_cast<int>(i));
		Valid = info && (info->channels == 1 || info->channels == 2) && info->rate > 0 &&
			(!ov_seekable(&File) || ov_pcm_total(&File, static_cast<int>(i)) > 0);
	}
	if (!Valid)
	{
		// A refused stream is closed at once: every later question then
		// gets Tremor's answer for a stream not open, and no division by a
		// rate of 0.
		ov_clear(&File);
		Opened = false;
		return;
	}
	// Tremor opens a chained stream with the last link's setup in place;
	// decoding the first link with it gives the wrong sound. A seek to the
	// start sets the first link up.
	if (ov_seekable(&File))
		ov_raw_seek(&File, 0);
}

COggDecoder::~COggDecoder()
{
	if (Opened)
		ov_clear(&File);
}

int COggDecoder::getChannels()
{
	const vorbis_info* info = Valid ? ov_info(&File, -1) : nullptr;
	return info && info->channels > 0 ? info->channels : 1;
}

int COggDecoder::getFrameBytes()
{
	return 2 * getChannels();
}

AudioFormat COggDecoder::getFormat()
{
	if (!Valid)
		return MONO8;
	return getChannels() == 1 ? MONO16 : STEREO16;
}

int COggDecoder::getFrequency()
{
	const vorbis_info* info = Valid ? ov_info(&File, -1) : nullptr;
	return info ? clampToInt(info->rate) : 0;
}

bool COggDecoder::isSeekable()
{
	return Valid && ov_seekable(&File) != 0;
}

int COggDecoder::read(void* output, int bytes)
{
	if (!Valid || !output || bytes <= 0)
		return 0;
	int link = 0;
	long got = ov_read(&File, static_cast<char*>(output), bytes, &link);
	if (got == 0 && isSeekable() && DecodedFrames < ov_pcm_total(&File, -1))
	{
		// Tremor stops at the start of a chained stream's next link; a seek
		// to the first sample not yet decoded carries it over.
		if (ov_pcm_seek(&File, DecodedFrames) == 0)
			got = ov_read(&File, static_cast<char*>(output), bytes, &link);
	}
	if (got > 0)
		DecodedFrames += got / getFrameBytes();
	return static_cast<int>(got);
}

bool COggDecoder::setPosition(int position, bool relative)
{
	if (!isSeekable())
		return false;
	const ogg_int64_t target = relative ? ov_raw_tell(&File) + position : position;
	const bool moved = ov_raw_seek(&File, target) == 0;
	DecodedFrames = ov_pcm_tell(&File);
	return moved;
}

bool COggDecoder::seek(float seconds, bool relative)
{
	if (!isSeekable())
		return false;
	// Tremor counts milliseconds.
	const double milliseconds = (double(seconds) + (relative ? getCurrentSeconds() : 0.0)) * 1000.0;
	const bool moved = ov_time_seek(&File, truncateToInt64(milliseconds)) == 0;
	DecodedFrames = ov_pcm_tell(&File);
	return moved;
}

float COggDecoder::getTotalTime()
{
	return static_cast<float>(ov_time_total(&File, -1)) / 1000.0f;
}

int COggDecoder::getTotalSize()
{
	const ogg_int64_t samples = ov_pcm_total(&File, -1);
	if (samples < 0)
		return OV_EINVAL * getChannels();
	return clampToInt(samples * getChannels());
}

int COggDecoder::getCompressedSize()
{
	const ogg_int64_t bytes = ov_raw_total(&File, -1);
	return bytes < 0 ? OV_EINVAL : clampToInt(bytes);
}

double COggDecoder::getCurrentSeconds()
{
	// Tremor's own time is off by the earlier links' length past the first
	// link of a chain, and without a sample position it looks for the link
	// before the first and divides by whatever rate lies there. Its sample
	// position is right, so the time comes from that, link by link.
	ogg_int64_t samples = ov_pcm_tell(&File);
	if (samples < 0)
		return double(OV_EINVAL) / 1000.0;
	// Unseekable, Tremor knows the current link only.
	const long links = isSeekable() ? ov_streams(&File) : 1;
	double seconds = 0.0;
	for (long i = 0; i < links; ++i)
	{
		const int link = isSeekable() ? static_cast<int>(i) : -1;
		const vorbis_info* info = ov_info(&File, link);
		if (!info || info->rate <= 0)
			return seconds;
		const double rate = double(info->rate);
		const ogg_int64_t linkSamples = ov_pcm_total(&File, link);
		if (samples < linkSamples || i == links - 1 || linkSamples < 0)
			return seconds + double(samples) / rate;
		samples -= linkSamples;
		seconds += double(linkSamples) / rate;
	}
	return seconds;
}

float COggDecoder::getCurrentTime()
{
	return static_cast<float>(getCurrentSeconds());
}

int COggDecoder::getCurrentPosition()
{
	const ogg_int64_t samples = ov_pcm_tell(&File);
	if (samples < 0)
		return OV_EINVAL * getChannels();
	return clampToInt(samples * getChannels());
}

int COggDecoder::getCurrentCompressedPosition()
{
	const ogg_int64_t bytes = ov_raw_tell(&File);
	return bytes < 0 ? OV_EINVAL : clampToInt(bytes);
}

} // namespace audio
} // namespace orv
