#include "script/CScriptModule.h"

#include "base/Refusal.h"
#include "script/CScriptManager.h"
#include "script/ScriptBudget.h"
#include "script/ScriptBuildGroup.h"
#include "script/ScriptSourceGuard.h"
#include "script/bindings/ScriptMemory.h"

#include <angelscript.h>

#include <string>

namespace orv::script {

using namespace AngelScript;

namespace {

// Shared types count once in each module that declares them.
irr::u32 scriptTypesHeld(asIScriptEngine* engine)
{
	irr::u32 held = 0;
	for (asUINT i = 0; i < engine->GetModuleCount(); ++i)
		if (const asIScriptModule* module = engine->GetModuleByIndex(i))
			held += module->GetObjectTypeCount() + module->GetEnumCount() + module->GetTypedefCount();
	return held;
}

const char* kindPrefix(EScriptModuleKind kind)
{
	switch (kind)
	{
	case ESMK_CLASS:
		return "class:";
	case ESMK_OBJECT:
		return "object:";
	default:
		return "engine:";
	}
}

// Every module object has an engine module of its own: one left over under
// the same name (an object's module still held after its object left) can
// neither discard the new one's code nor be discarded under its feet.
irr::u64 nextInstance()
{
	static irr::u64 last = 0;
	return ++last;
}

} // namespace

irr::u64 CScriptModule::CallbacksRevision = 1;

CScriptModule::CScriptModule(const irr::core::ustring16& name, CScriptManager* manager, EScriptModuleKind kind)
	: ModuleName(name.toUTF8_s())
	, ScriptManager(nullptr)
	, EngineModule(nullptr)
	, Kind(kind)
{
	EngineModuleName = kindPrefix(kind);
	EngineModuleName += ModuleName;
	EngineModuleName += ("#" + std::to_string(nextInstance())).c_str();
	if (manager)
		setManager(manager);
}

CScriptModule::~CScriptModule()
{
	discardEngineModule();
	if (ScriptManager)
		ScriptManager->forgetModule(this);
}

void CScriptModule::setManager(CScriptManager* manager)
{
	discardEngineModule();
	if (ScriptManager != manager)
	{
		if (ScriptManager)
			ScriptManager->forgetModule(this);
		if (manager)
			manager->rememberModule(this);
	}
	ScriptManager = manager;
	if (!isBound())
	{
		CallbackIds.clear();
		AnyCallback = false;
		++CallbacksRevision;
		return;
	}
	resolveCallbacks();
}

bool CScriptModule::isBound() const
{
	return ScriptManager && ScriptManager->getEngine();
}

asIScriptModule* CScriptModule::getEngineModule()
{
	if (!EngineModule && isBound())
		EngineModule = ScriptManager->getEngine()->GetModule(EngineModuleName.c_str(), asGM_ALWAYS_CREATE);
	return EngineModule;
}

void CScriptModule::load(
	const irr::core::ustring16& code, const irr::core::ustring16& sectionName, const std::string& fileName)
{
	if (!isBound())
		return;
	FileName = fileName;
	const irr::core::stringc codeUtf8 = code.toUTF8_s();
	const irr::core::stringc section = sectionName.toUTF8_s();
	Reported.clear();
	// New code gets a new chance.
	SetAside = false;
	LastFrameOutOfTime = 0;
	FramesOutOfTime = 0;

	// A module builds from the sections added since its last build, but the
	// old functions would linger until then, and the types that code of
	// globals alone holds keep the engine from building the module again;
	// a fresh module holds the new code only.
	if (EngineModule)
		discardEngineModule();

	if (CScriptBuildGroup::spent())
	{
		if (CScriptBuildGroup::firstRefusal())
			reportRefusal("script",
				"Script of " + describe() + " refused: the scripts of this load took " +
					std::to_string(SCRIPT_LOAD_BUILD_BUDGET_MS) + " ms to build, and its further code is not built");
		resolveCallbacks();
		return;
	}
	const ScriptClock::time_point buildStart = ScriptClock::now();
	// Every build comes here: the compiler must not see what it cannot
	// survive, nor what would keep it busy for seconds.
	if (const std::string why = checkScriptSource(
			ScriptManager->getEngine(), codeUtf8.c_str(), codeUtf8.size(), &ScriptManager->heldNamespaces());
		!why.empty())
	{
		reportRefusal("script", "Script of " + describe() + " refused: " + why);
		resolveCallbacks();
		return;
	}

	if (const irr::u32 held = scriptTypesHeld(ScriptManager->getEngine()); held >= SCRIPT_MAX_HELD_TYPES)
	{
		reportRefusal("script",
			"Script of " + describe() + " refused: the code of all scripts declares " + std::to_string(held) +
				" types, " + std::to_string(SCRIPT_MAX_HELD_TYPES) + " at most");
		resolveCallbacks();
		return;
	}

	// What all scripts hold is bounded: once it is spent, no more code comes in.
	if (scriptMemorySpent())
	{
		reportFailure("refused: " + std::string(SCRIPT_MEMORY_EXCEPTION));
		resolveCallbacks();
		return;
	}

	asIScriptModule* module = getEngineModule();
	if (!module)
		return;
	ScriptManager->beginBuild(this);
	// The code's string constants are the scripts' memory.
	MemoryAccount* accountBefore = setThreadMemoryAccount(&scriptStringAccount());
	// Not copied (CScriptManager): the code lives until its build is done.
	module->AddScriptSection(section.c_str(), codeUtf8.c_str(), codeUtf8.size(), 0);
	// Code whose globals could not be set up would run on half of them; a
	// module without an engine module holds no function.
	if (module->Build() == asINIT_GLOBAL_VARS_FAILED)
		discardEngineModule();
	else if (scriptMemorySpent())
	{
		// The compiler's own memory cannot be refused as it goes: code that
		// took the last of it is not kept.
		reportFailure("did not build: " + std::string(SCRIPT_MEMORY_EXCEPTION));
		discardEngineModule();
	}
	setThreadMemoryAccount(accountBefore);
	ScriptManager->endBuild();
	CScriptBuildGroup::add(ScriptClock::now() - buildStart);
	resolveCallbacks();
}

std::string CScriptModule::describe() const
{
	const char* kind = Kind == ESMK_CLASS ? "class" : Kind == ESMK_OBJECT ? "object" : "module";
	std::string owner = std::string(kind) + " \"" + ModuleName.c_str() + "\"";
	std::string details;
	if (!OwnerClass.empty())
		details = "class \"" + OwnerClass + "\"";
	if (!FileName.empty())
		details += (details.empty() ? "" : ", ") + std::string("file \"") + FileName + "\"";
	return details.empty() ? owner : owner + " (" + details + ")";
}

bool CScriptModule::reportRunFailure(asIScriptContext* context)
{
	const auto where = [](const char* section, int row, int column) {
		return std::string(section ? section : "") + " (r " + std::to_string(row) + ", c " + std::to_string(column) +
			")";
	};
	const asEContextState state = context->GetState();
	const SScriptRunClock* clock = getScriptClock(context);
	const bool refused = state == asEXECUTION_ABORTED && clock && clock->Refusal;
	if (state == asEXECUTION_EXCEPTION || refused)
	{
		int column = 0;
		const char* section = nullptr;
		int row = 0;
		const char* message = nullptr;
		if (refused)
		{
			// The line callback ended the run at a bound.
			section = clock->Section.c_str();
			row = clock->Row;
			column = clock->Column;
			message = clock->Refusal;
		}
		else
		{
			row = context->GetExceptionLineNumber(&column, &section);
			message = context->GetExceptionString();
			// Raised from inside a native the engine called itself, the
			// exception has no line: the bound noted where.
			if (row <= 0 && isScriptMemoryException(message))
				section = lastScriptMemoryRefusal(row, column);
		}
		const bool outOfMemory = isScriptMemoryException(message);
		reportFailure("stopped at " + where(section, row, column) + " : " + (message ? message : "") +
			(outOfMemory ? "; it is set aside" : ""));
		if (outOfMemory)
		{
			SetAside = true;
			if (ScriptManager)
				ScriptManager->dropCodeLater(this);
		}
		return outOfMemory;
	}
	// A run nested in another that ran out of their shared time is reported
	// by the outermost one; a build's runs have their own.
	if (state == asEXECUTION_ABORTED && clock && clock->RanOut &&
		(clock->Outermost || clock->Ending == ESRE_BUILD_TIME))
		reportOutOfTime(*clock);
	return false;
}

void CScriptModule::reportOutOfTime(const SScriptRunClock& clock)
{
	const SScriptBudget& budget = *clock.Budget;
	std::string why;
	switch (clock.Ending)
	{
	case ESRE_FRAME_TIME:
		why = "out of the frame's script time of " + std::to_string(budget.FrameMs) + " ms";
		break;
	case ESRE_CLOSE_TIME:
		why = "out of the close's script time of " + std::to_string(budget.CloseMs) + " ms";
		break;
	default:
		why = "out of time after " + std::to_string(budget.RunMs) + " ms";
		break;
	}
	reportFailure("stopped at " + clock.Section + " (r " + std::to_string(clock.Row) + ", c " +
		std::to_string(clock.Column) + ") : " + why);
}

void CScriptModule::dropCode()
{
	discardEngineModule();
	resolveCallbacks();
}

void CScriptModule::noteOutOfTime(irr::u64 frame)
{
	if (frame == 0 || frame == LastFrameOutOfTime || SetAside)
		return;
	FramesOutOfTime = frame == LastFrameOutOfTime + 1 ? FramesOutOfTime + 1 : 1;
	LastFrameOutOfTime = frame;
	if (FramesOutOfTime < SCRIPT_SET_ASIDE_FRAMES)
		return;
	SetAside = true;
	reportFailure(
		"set aside: its runs ran out of time " + std::to_string(SCRIPT_SET_ASIDE_FRAMES) + " frames in a row");
}

void CScriptModule::reportFailure(const std::string& what)
{
	const std::string line = "Script of " + describe() + " " + what;
	if (!ScriptManager || !Reported.insert(line).second)
		return;
	ScriptManager->log(line.c_str(), irr::ELL_ERROR);
}

void CScriptModule::resolveCallbacks()
{
	const irr::u32 count = ScriptManager ? ScriptManager->callbackCount() : 0;
	CallbackIds.assign(count, asNO_FUNCTION);
	AnyCallback = false;
	++CallbacksRevision;
	// An engine module not made yet holds no function.
	if (!EngineModule)
		return;
	for (const auto& entry : ScriptManager->getCallbacks())
	{
		if (entry.first >= count || CallbackIds[entry.first] != asNO_FUNCTION)
			continue;
		asIScriptFunction* function = EngineModule->GetFunctionByDecl(entry.second.Declaration.c_str());
		if (function)
		{
			CallbackIds[entry.first] = function->GetId();
			AnyCallback = true;
		}
	}
}

irr::s32 CScriptModule::getCallbackId(irr::u32 callbackId) const
{
	return callbackId < CallbackIds.size() ? CallbackIds[callbackId] : asNO_FUNCTION;
}

void CScriptModule::detach()
{
	discardEngineModule();
	CallbackIds.clear();
	AnyCallback = false;
	++CallbacksRevision;
	ScriptManager = nullptr;
}

void CScriptModule::discardEngineModule()
{
	if (!EngineModule)
		return;
	// Forgotten before the discard: the module's globals let go of what they
	// held, and an object freed by that drops its own module, which must not
	// discard the same engine module a second time. By the pointer: a discard
	// by name searches every module.
	asIScriptModule* module = EngineModule;
	EngineModule = nullptr;
	++CodeGeneration;
	module->Discard();
}

} // namespace orv::script
