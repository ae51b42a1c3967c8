#include "audio/CFileSource.h"

#include <climits>
#include <cstdint>

#include "audio/AudioText.h"
#include "platform/Utf8File.h"

namespace orv {
namespace audio {

CFileSource::CFileSource(const char* fileName)
{
	// The name goes through the library's wide form so that what opens is
	// what the manager logs.
	const AudioWString wide = utf8ToWide(fileName);
	if (wide.empty())
		return;
	File = platform::openUtf8File(wideToUtf8(wide), "rb");
	if (!File)
		return;
	if (std::fseek(File, 0, SEEK_END) != 0)
		return;
	const long size = std::ftell(File);
	std::fseek(File, 0, SEEK_SET);
	// Positions are 32-bit: a larger file could not be addressed whole.
	if (size < 0 || size > INT_MAX)
		return;
	Size = static_cast<int>(size);
	Valid = true;
}

CFileSource::~CFileSource()
{
	if (File)
		std::fclose(File);
}

int CFileSource::getCurrentPos()
{
	if (!File)
		return 0;
	const long position = std::ftell(File);
	return position < 0 ? 0 : position > INT_MAX ? INT_MAX : static_cast<int>(position);
}

int CFileSource::read(void* output, int size)
{
	if (!File || !output || size <= 0)
		return 0;
	return static_cast<int>(std::fread(output, 1, static_cast<size_t>(size), File));
}

bool CFileSource::seek(int amount, bool relative)
{
	if (!File)
		return false;
	const int64_t target = relative ? int64_t(getCurrentPos()) + amount : int64_t(amount);
	// As for memory: a target outside the file stops at its nearer end.
	if (target < 0 || target > Size)
	{
		std::fseek(File, target < 0 ? 0 : Size, SEEK_SET);
		return false;
	}
	if (std::fseek(File, static_cast<long>(target), SEEK_SET) != 0)
		return false;
	return std::ftell(File) == target;
}

} // namespace audio
} // namespace orv
