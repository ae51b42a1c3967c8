#pragma once

#include <AL/alc.h>

namespace orv {
namespace audio {

//! Points this thread's OpenAL calls at one manager's context while it
//! lives and puts back the one before: managers share no current context,
//! so one manager's end cannot stop another's sources. A null context
//! changes nothing.
class CContextScope
{
public:
	explicit CContextScope(ALCcontext* context);
	~CContextScope();
	CContextScope(const CContextScope&) = delete;
	CContextScope& operator=(const CContextScope&) = delete;

private:
	ALCcontext* Previous = nullptr;
	bool Changed = false;
};

//! Clears the context wherever it is current, before it is destroyed.
void forgetCurrentContext(ALCcontext* context);

} // namespace audio
} // namespace orv
