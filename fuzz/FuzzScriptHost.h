#pragma once
// What the script fuzzers share: one script host for the whole run, set up
// once (a host of its own for every input would cost far more than most
// inputs), and the clean-up after each input that leaves the host as it
// was, so that no input sees what an earlier one built.

#include <angelscript.h>

#include "base/Refusal.h"
#include "script/CScriptManager.h"
#include "script/bindings/ScriptMemory.h"
#include "script/api/ScriptCallbackTable.h"
#include "script/api/WorldAPI.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"

namespace orv::fuzz {

class CFuzzScriptHost
{
public:
	//! The world's script API and callbacks; `addApi`, when given, adds
	//! natives of the fuzzer's own.
	explicit CFuzzScriptHost(void (*addApi)(AngelScript::asIScriptEngine*) = nullptr)
		: Scripts(nullptr, script::registerWorldAPI)
	{
		script::registerScriptCallbacks(Scripts, nullptr);
		if (addApi)
			addApi(Scripts.getEngine());
		HeldAtStart = script::scriptMemoryInUse();
	}

	script::CScriptManager& scripts() { return Scripts; }

	//! Every input starts with the same budgets.
	void beginInput(irr::u32 runMs, irr::u32 frameMs) { Scripts.setBudgets(runMs, frameMs); }

	//! Takes out what the input built: its objects and classes, their
	//! modules and whatever their scripts still held. An engine module left
	//! after that would reach the next input, which is a finding of its own.
	void endInput()
	{
		// Modules let go of their globals first: a script that holds its own
		// object would keep both alive.
		Scripts.releaseScripts();
		CObjectManager::destroyInstance();
		CPhysicsManager::destroyInstance();
		AngelScript::asIScriptEngine* engine = Scripts.getEngine();
		engine->GarbageCollect(AngelScript::asGC_FULL_CYCLE);
		if (engine->GetModuleCount() != 0)
			__builtin_trap();
		// The engine keeps some memory for its next builds, never a share of
		// the scripts' bound that the next input would miss.
		if (script::scriptMemoryInUse() > HeldAtStart + script::SCRIPT_MEMORY_BYTES / 8)
			__builtin_trap();
		forgetRefusals();
	}

private:
	script::CScriptManager Scripts;
	irr::u64 HeldAtStart = 0;
};

} // namespace orv::fuzz
