#pragma once

#include <deque>

#include <irrTypes.h>

#include "base/packet.h"

namespace orv {

//! Ids of the script callbacks that travel through the event queue.
enum EScriptEventId
{
	ESEI_UPDATE = 0,
	ESEI_KEY_PRESS = 6,
	ESEI_MOUSE_MOVE = 7,
	ESEI_MOUSE_DOWN = 8,
	ESEI_MOUSE_UP = 9,
	ESEI_MOUSE_WHEEL = 10
};

//! One queued call of a script callback.
/** The arguments are those after `self`, big-endian; their read position is
    rewound before each delivery, so one queue can serve several scripts. */
struct SScriptEvent
{
	irr::u32 callbackId = 0;
	net::packet arguments;
};

typedef std::deque<SScriptEvent> ScriptEventQueue;

} // namespace orv
