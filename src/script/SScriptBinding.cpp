#include "script/SScriptBinding.h"

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/ScriptBudget.h"
#include "script/ScriptCallbacks.h"

#include <angelscript.h>

#include <optional>

namespace orv::script {

using namespace AngelScript;

namespace {

// Deliveries into a context that is still running, one inside the other. A
// script that keeps sending events to itself would otherwise recurse until
// the native stack runs out.
const asUINT MAX_NESTED_DELIVERIES = 32;

} // namespace

SScriptBinding::~SScriptBinding()
{
	release();
}

void SScriptBinding::setModule(CScriptModule* module)
{
	if (!module)
		return;
	// The new reference first: the old module may be the same one.
	module->grab();
	if (BoundModule)
		BoundModule->drop();
	BoundModule = module;
	if (Context)
		Context->Release();
	Context = nullptr;
	if (module->isBound())
		Context = module->getScriptManager()->getEngine()->CreateContext();
	if (Context)
		watchScriptTime(Context);
	Clock = Context ? getScriptClock(Context) : nullptr;
}

void SScriptBinding::release()
{
	if (Context)
		Context->Release();
	Context = nullptr;
	Clock = nullptr;
	if (BoundModule)
		BoundModule->drop();
	BoundModule = nullptr;
}

namespace {

// The context and module of one delivery, held for its whole length: a
// script may remove its own object, and with it this binding, before the
// delivery ends.
struct SHeld
{
	SHeld(asIScriptContext* context, CScriptModule* module, SScriptRunClock* clock)
		: Context(context)
		, Module(module)
		, Clock(clock)
	{
		Context->AddRef();
		Module->grab();
	}
	~SHeld()
	{
		Module->drop();
		Context->Release();
	}
	SHeld(const SHeld&) = delete;
	SHeld& operator=(const SHeld&) = delete;

	asIScriptContext* Context;
	CScriptModule* Module;
	// The context's clock, found once: looking it up takes a lock.
	SScriptRunClock* Clock;
};

// Prepares, decodes and executes; the script's answer lands in *result when
// given and the call finished. True when the callback ran, false when it
// was dropped before its first line.
bool run(const SHeld& held, irr::u32 callbackId, irr::s32 functionId, net::packet& arguments, void* self, bool* result)
{
	asIScriptContext* context = held.Context;
	SScriptRunClock* clock = held.Clock;
	// A module set aside runs nothing, nor does anything once the time it
	// would share is gone (see SScriptBudget::mayRun).
	if (held.Module->isSetAside() || (clock && !clock->Budget->mayRun()))
		return false;
	asIScriptFunction* function = context->GetEngine()->GetFunctionById(functionId);
	if (!function)
		return false;
	const bool nested = context->GetState() == asEXECUTION_ACTIVE;
	if (nested)
	{
		asUINT depth = 0;
		context->IsNested(&depth);
		if (depth >= MAX_NESTED_DELIVERIES)
		{
			// Once per code: a script that keeps doing so would flood the log.
			held.Module->reportFailure("dropped a callback: too many deliveries inside one another");
			return false;
		}
		if (context->PushState() < 0)
			return false;
	}

	bool executed = false;
	if (context->Prepare(function) >= 0)
	{
		context->SetArgObject(0, self);
		CScriptManager* manager = held.Module->getScriptManager();
		const SScriptCallbackDecl* entry = manager ? manager->findCallback(callbackId) : nullptr;
		if (entry && entry->Decoder)
			entry->Decoder(context, arguments);
		// A run nested in the same context has the context's one clock: the
		// outer run's is put back once the nested run has been dealt with.
		std::optional<SScriptRunClock> outerClock;
		if (clock && nested)
			outerClock = *clock;
		if (clock)
			clock->start();
		executed = true;
		const int state = context->Execute();
		if (clock)
			clock->stop();
		const irr::u64 frame = clock && clock->Budget->InFrame ? clock->Budget->Frame : 0;
		if (state == asEXECUTION_FINISHED)
		{
			if (result)
				*result = context->GetReturnByte() != 0;
			// The run ends on time, but what it asked for did not.
			if (clock && clock->takeNestedEnding())
			{
				held.Module->reportOutOfTime(*clock);
				held.Module->noteOutOfTime(frame);
			}
		}
		else
		{
			held.Module->reportRunFailure(context);
			if (clock && clock->RanOut && clock->Outermost)
				held.Module->noteOutOfTime(frame);
			// An exception keeps the stack for inspection, and with it every
			// handle the script held; it has been read. A nested run's stack
			// goes with PopState: unpreparing it as well would free what the
			// outer run still holds.
			if (!nested)
				context->Unprepare();
		}
		if (outerClock)
			*clock = *outerClock;
	}

	if (nested)
		context->PopState();
	if (CScriptManager* manager = held.Module->getScriptManager())
		manager->dropSetAsideCode();
	return executed;
}

} // namespace

bool SScriptBinding::callCallback(irr::u32 callbackId, net::packet arguments, void* self)
{
	if (!Context || !BoundModule)
		return false;
	const irr::s32 functionId = BoundModule->getCallbackId(callbackId);
	if (functionId == asNO_FUNCTION)
		return false;
	SHeld held(Context, BoundModule, Clock);
	return run(held, callbackId, functionId, arguments, self, nullptr);
}

bool SScriptBinding::callOnSolveContact(net::packet& arguments, void* self)
{
	if (!Context || !BoundModule)
		return false;
	const irr::s32 functionId = BoundModule->getCallbackId(ESC_SOLVE_CONTACT);
	if (functionId == asNO_FUNCTION)
		return false;
	bool result = false;
	SHeld held(Context, BoundModule, Clock);
	run(held, ESC_SOLVE_CONTACT, functionId, arguments, self, &result);
	return result;
}

void SScriptBinding::runQueuedEvents(ScriptEventQueue& queue, void* self)
{
	// Most objects have no code of their own: they are passed over without
	// touching the context.
	if (!Context || !BoundModule || !BoundModule->hasCallbacks())
		return;
	SHeld held(Context, BoundModule, Clock);
	// Only the records there at the start: a script may queue more (a
	// deque's push_back keeps its elements but not its iterators).
	const size_t count = queue.size();
	for (size_t i = 0; i < count && i < queue.size(); ++i)
	{
		SScriptEvent& event = queue[i];
		event.arguments.setReadPosition(0);
		const irr::s32 functionId = held.Module->getCallbackId(event.callbackId);
		if (functionId != asNO_FUNCTION)
			run(held, event.callbackId, functionId, event.arguments, self, nullptr);
	}
}

} // namespace orv::script
