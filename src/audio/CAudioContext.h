#pragma once

#include <AL/alc.h>

#include <atomic>

#include "audio/IRefCounted.h"

namespace orv {
namespace audio {

//! A manager's OpenAL context as its sources hold it. The manager ends it
//! before it destroys the context, so a source that outlives its manager
//! knows that its OpenAL names went with the context.
class CAudioContext : public IRefCounted
{
public:
	explicit CAudioContext(ALCcontext* context) : Context(context) {}

	//! Null once ended.
	ALCcontext* get() const { return Context.load(); }
	void end() { Context.store(nullptr); }

private:
	std::atomic<ALCcontext*> Context;
};

} // namespace audio
} // namespace orv
