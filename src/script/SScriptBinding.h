#pragma once
// A module paired with a script context: runs the module's callbacks for one
// object, the object as `self`, the further arguments decoded from a packet.
// The object is only an address here: its type is one the layers above
// register with the script engine, which the script host does not know.

#include <irrTypes.h>

#include "base/packet.h"
#include "script/SScriptEvent.h"

namespace AngelScript {
class asIScriptContext;
}

namespace orv::script {

class CScriptModule;
struct SScriptRunClock;

struct SScriptBinding
{
	SScriptBinding() = default;
	~SScriptBinding();
	SScriptBinding(const SScriptBinding&) = delete;
	SScriptBinding& operator=(const SScriptBinding&) = delete;

	// Holds the module (null changes nothing) with a new context when the
	// module is bound to a script engine, else none.
	void setModule(CScriptModule* module);
	// Lets go of the context and the module.
	void release();

	// Runs the callback when the module defines it; the packet is this call's
	// own and goes with it. A call that arrives while the binding's context is
	// still running (an event an object sends to itself) runs nested in it.
	// Every run is held to the script budget; an exception or a run out of
	// time ends that run alone, and is logged once by the module. True when
	// the callback ran, whatever became of the run; false when it was not
	// there or was dropped without running.
	bool callCallback(irr::u32 callbackId, net::packet arguments, void* self);
	// OnSolveContact's answer; false when it does not run.
	bool callOnSolveContact(net::packet& arguments, void* self);
	// Every record the module has a callback for, front to back, each read
	// from its first byte. The records are left as they are: the same queue
	// goes on to other bindings.
	void runQueuedEvents(ScriptEventQueue& queue, void* self);

	CScriptModule* getModule() const { return BoundModule; }
	AngelScript::asIScriptContext* getContext() const { return Context; }

private:
	CScriptModule* BoundModule = nullptr;
	AngelScript::asIScriptContext* Context = nullptr;
	// The context's run clock, which lives as long as the context.
	SScriptRunClock* Clock = nullptr;
};

} // namespace orv::script
