#include "audio/CContextScope.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

namespace orv {
namespace audio {

namespace {

// Without the extension the process-wide context is switched instead, which
// is right as long as one thread at a time works with the library.
bool haveThreadContexts()
{
	static const bool present = alcIsExtensionPresent(nullptr, "ALC_EXT_thread_local_context") == ALC_TRUE;
	return present;
}

ALCcontext* currentOfThisThread()
{
	return haveThreadContexts() ? alcGetThreadContext() : alcGetCurrentContext();
}

void makeCurrentOnThisThread(ALCcontext* context)
{
	if (haveThreadContexts())
		alcSetThreadContext(context);
	else
		alcMakeContextCurrent(context);
}

} // namespace

CContextScope::CContextScope(ALCcontext* context)
{
	if (!context)
		return;
	Previous = currentOfThisThread();
	if (Previous == context)
		return;
	makeCurrentOnThisThread(context);
	Changed = true;
}

CContextScope::~CContextScope()
{
	if (Changed)
		makeCurrentOnThisThread(Previous);
}

void forgetCurrentContext(ALCcontext* context)
{
	if (!context)
		return;
	if (haveThreadContexts() && alcGetThreadContext() == context)
		alcSetThreadContext(nullptr);
	if (alcGetCurrentContext() == context)
		alcMakeContextCurrent(nullptr);
}

} // namespace audio
} // namespace orv
