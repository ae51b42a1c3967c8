#pragma once

namespace orv {
namespace audio {

//! Told what happens to a source, under the source's lock; not owned by it.
class ISourceEventHandler
{
public:
	virtual ~ISourceEventHandler() = default;
	virtual void onUpdate() = 0;
	virtual void onRelease() = 0;
	virtual void onPlay() = 0;
	virtual void onStop() = 0;
	virtual void onPause() = 0;
};

} // namespace audio
} // namespace orv
