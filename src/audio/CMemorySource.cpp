#include "audio/CMemorySource.h"

#include <cstdint>
#include <cstring>

namespace orv {
namespace audio {

CMemorySource::CMemorySource(const void* data, int size)
{
	if (!data || size <= 0)
		return;
	Data = static_cast<char*>(getMemoryProvider()->Allocate(static_cast<uint32_t>(size), nullptr, -1, nullptr));
	if (!Data)
		return;
	std::memcpy(Data, data, static_cast<size_t>(size));
	Size = size;
	Valid = true;
}

CMemorySource::~CMemorySource()
{
	getMemoryProvider()->Deallocate(Data);
}

int CMemorySource::read(void* output, int size)
{
	if (!output || size <= 0 || Position >= Size)
		return 0;
	const int count = size > Size - Position ? Size - Position : size;
	std::memcpy(output, Data + Position, static_cast<size_t>(count));
	Position += count;
	return count;
}

bool CMemorySource::seek(int amount, bool relative)
{
	// 64 bits: a relative move must not wrap around.
	const int64_t target = relative ? int64_t(Position) + amount : int64_t(amount);
	if (target > Size)
	{
		Position = Size;
		return false;
	}
	if (target < 0)
	{
		Position = 0;
		return false;
	}
	Position = static_cast<int>(target);
	return true;
}

} // namespace audio
} // namespace orv
