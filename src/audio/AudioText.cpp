#include "audio/AudioText.h"

#include <cstring>

#include "base/Utf.h"

namespace orv {
namespace audio {

namespace {

struct SRotatingBuffers
{
	char buffers[TEXT_BUFFER_COUNT][TEXT_BUFFER_SIZE];
	size_t index = 0;
};

// Per thread: the audio thread logs while the game's thread converts, and a
// shared set would hand one buffer to both.
thread_local SRotatingBuffers managerTexts;
thread_local SRotatingBuffers pluginTexts;

const char* convertInto(SRotatingBuffers& set, const AudioWString& wide)
{
	set.index = (set.index + 1) % TEXT_BUFFER_COUNT;
	char* buffer = set.buffers[set.index];
	const size_t written = utf16ToUtf8Bounded(wide.data(), wide.size(), buffer, TEXT_BUFFER_SIZE - 1);
	buffer[written] = '\0';
	buffer[TEXT_BUFFER_SIZE - 1] = '\0';
	return buffer;
}

} // namespace

AudioWString utf8ToWide(const char* text)
{
	AudioWString wide;
	if (text)
		appendUtf8AsUtf16(text, std::strlen(text), wide);
	return wide;
}

const char* wideToUtf8(const AudioWString& wide)
{
	return convertInto(managerTexts, wide);
}

const char* wideToUtf8Plugins(const AudioWString& wide)
{
	return convertInto(pluginTexts, wide);
}

AudioWString getExtension(const AudioWString& fileName)
{
	const size_t dot = fileName.rfind(u'.');
	if (dot == AudioWString::npos)
		return AudioWString();
	return fileName.substr(dot + 1);
}

} // namespace audio
} // namespace orv
