#pragma once

#include <atomic>

#include "audio/CMemoryOverride.h"

namespace orv {
namespace audio {

//! Reference counting of sources, decoders, data sources and plug-in
//! modules: a new object holds one reference; the drop that takes the count
//! below 1 deletes it.
class IRefCounted : public CMemoryOverride
{
public:
	virtual ~IRefCounted() = default;

	void grab() { ++RefCount; }
	//! True when this drop deleted the object.
	bool drop()
	{
		if (--RefCount < 1)
		{
			delete this;
			return true;
		}
		return false;
	}
	int getReferenceCount() const { return RefCount; }

protected:
	IRefCounted() = default;
	IRefCounted(const IRefCounted&) = delete;
	IRefCounted& operator=(const IRefCounted&) = delete;

private:
	std::atomic<int> RefCount{1};
};

} // namespace audio
} // namespace orv
