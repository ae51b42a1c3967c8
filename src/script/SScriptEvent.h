#pragma once

#include <deque>

#include <irrTypes.h>

#include "base/packet.h"
#include "script/ScriptCallbacks.h"

namespace orv {

//! One queued call of a script callback.
/** The arguments are those after `self`, big-endian; their read position is
    rewound before each delivery, so one queue can serve several scripts. */
struct SScriptEvent
{
	//! An EScriptCallback.
	irr::u32 callbackId = 0;
	net::packet arguments;
};

typedef std::deque<SScriptEvent> ScriptEventQueue;

} // namespace orv
