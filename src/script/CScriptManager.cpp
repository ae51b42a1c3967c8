#include "script/CScriptManager.h"

#include "base/Refusal.h"
#include "script/CScriptModule.h"
#include "script/ScriptArray.h"
#include "script/ScriptBudget.h"
#include "script/bindings/ScriptCollector.h"
#include "script/bindings/ScriptMemory.h"
#include "script/bindings/ScriptReferenceCounts.h"
#include "script/bindings/ScriptTypes.h"

#include <angelscript.h>
#include <scriptmath.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>

namespace orv::script {

using namespace AngelScript;

namespace {

bool isPortableBuild()
{
	return std::strstr(asGetLibraryOptions(), "AS_MAX_PORTABILITY") != nullptr;
}

} // namespace

void registerAddOnsAndValueTypes(asIScriptEngine* engine)
{
	registerScriptArray(engine);
	engine->RegisterDefaultArrayType("array<T>");

	if (isPortableBuild())
		RegisterScriptMath_Generic(engine);
	else
		RegisterScriptMath_Native(engine);

	declareMathTypes(engine);
	registerMathTypes(engine);
}

CScriptManager::CScriptManager(irr::ILogger* logger, ScriptApiRegistrar registerApi) : Logger(logger), Engine(nullptr)
{
	init(registerApi);
}

CScriptManager::~CScriptManager()
{
	beginClose();
	for (const SCodeToDrop& entry : CodeToDrop)
		entry.Module->drop();
	CodeToDrop.clear();
	// The map's references go first, in name order; a module that reaches
	// zero discards its engine module while the engine still lives.
	std::map<irr::core::ustring16, CScriptModule*> modules;
	modules.swap(Modules);
	for (auto& entry : modules)
		entry.second->drop();
	// Whatever is still held elsewhere must not reach the engine once it is gone.
	detachAllModules();
	collectAtClose();
	if (Engine)
		shutDownScriptEngine(Engine);
	Engine = nullptr;
}

CScriptModule* CScriptManager::getModule(const irr::core::ustring16& name)
{
	auto found = Modules.find(name);
	if (found != Modules.end())
		return found->second;
	CScriptModule* module = new CScriptModule(name, this, ESMK_ENGINE);
	Modules.emplace(name, module);
	return module;
}

void CScriptManager::addCallback(
	irr::u32 id, ScriptCallbackArgDecoder decoder, bool resolveModules, irr::core::stringc declaration)
{
	SScriptCallbackDecl& entry = Callbacks[id];
	entry.Declaration = declaration;
	entry.Decoder = decoder;
	if (id >= CallbackSlots.size())
		CallbackSlots.resize(id + 1, nullptr);
	CallbackSlots[id] = &entry;
	if (resolveModules)
		resolveAllCallbacks();
}

void CScriptManager::resolveAllCallbacks()
{
	for (auto& entry : Modules)
		entry.second->resolveCallbacks();
}

const SScriptCallbackDecl* CScriptManager::findCallback(irr::u32 id) const
{
	return id < CallbackSlots.size() ? CallbackSlots[id] : nullptr;
}

void CScriptManager::releaseScripts()
{
	detachAllModules();
	collectAtClose();
}

void CScriptManager::collectAtClose()
{
	if (!Engine)
		return;
	// What scripts held goes with its destructors while the close has time,
	// a chain of them a pass per link. Once no destructor may run any more,
	// the handles between what is left go first, and one pass frees it all.
	SScriptBudget* budget = getScriptBudget(Engine);
	const std::chrono::steady_clock::time_point closeEnds = std::chrono::steady_clock::now() +
		std::chrono::milliseconds(SCRIPT_CLOSE_BUDGET_MS);
	const auto outOfTime = [&] {
		return (budget && budget->closeSpent()) || std::chrono::steady_clock::now() >= closeEnds;
	};
	while (
		!collectScriptGarbage(Engine, std::chrono::steady_clock::now() + std::chrono::milliseconds(10)) && !outOfTime())
	{
	}
	asUINT collected = 0;
	Engine->GetGCStatistics(&collected);
	if (collected > 0 && outOfTime())
	{
		releaseScriptObjectLinks(Engine);
		collectAllScriptGarbage(Engine);
	}
}

void CScriptManager::rememberModule(CScriptModule* module)
{
	BoundModules.insert(module);
}

void CScriptManager::forgetModule(CScriptModule* module)
{
	BoundModules.erase(module);
}

void CScriptManager::detachAllModules()
{
	// Each detach may free objects whose own modules are further down the
	// list; every module is held until the walk is over.
	const std::vector<CScriptModule*> modules(BoundModules.begin(), BoundModules.end());
	BoundModules.clear();
	for (CScriptModule* module : modules)
		module->grab();
	for (CScriptModule* module : modules)
		module->detach();
	for (CScriptModule* module : modules)
		module->drop();
}

void CScriptManager::init(ScriptApiRegistrar registerApi)
{
	// Before the first engine: every block it makes must be counted.
	installScriptMemoryMeter();
	Engine = asCreateScriptEngine(ANGELSCRIPT_VERSION);
	if (!Engine)
	{
		// Only out of memory gets here; the host then runs without scripts.
		if (Logger)
			Logger->log("script", "The script engine could not be created.", irr::ELL_ERROR);
		return;
	}
	// Lets the get_X / set_X declarations of the bindings act as properties.
	Engine->SetEngineProperty(asEP_PROPERTY_ACCESSOR_MODE, 2);
	// The parser reads the character after code that ends inside a template's
	// brackets: in its own copy of a section that is a byte past the copy,
	// while every section handed over here ends in a terminating zero that
	// lives until its build is done (CScriptModule::load).
	Engine->SetEngineProperty(asEP_COPY_SCRIPT_SECTIONS, false);
	// The collector runs where its cost is bounded (script/bindings/
	// ScriptCollector.h): at each frame's end, at the bound on what it holds,
	// as code is dropped and at the close; never halfway through a native
	// that makes an object.
	Engine->SetEngineProperty(asEP_AUTO_GARBAGE_COLLECT, false);
	setUpScriptBudget(Engine);
	Engine->SetContextCallbacks(requestContext, returnContext, this);
	Engine->SetMessageCallback(asMETHOD(CScriptManager, messageCallback), this, asCALL_THISCALL);
	registerAddOnsAndValueTypes(Engine);
	if (registerApi)
		registerApi(Engine);
	if (!scriptReferenceCountsAreUnchecked() && Logger)
		Logger->log("script",
			"The script engine keeps its own reference counts: a million references to one object end the client.",
			irr::ELL_WARNING);
}

void CScriptManager::log(const char* text, irr::ELOG_LEVEL level) const
{
	if (Logger)
		Logger->log("script", text, level);
}

void CScriptManager::messageCallback(const asSMessageInfo& message)
{
	if (!BuildMessages.empty() && ++BuildMessages.back() > SCRIPT_MAX_BUILD_MESSAGES)
		return;
	const char* kind = "INFO";
	irr::ELOG_LEVEL level = irr::ELL_INFORMATION;
	if (message.type == asMSGTYPE_ERROR)
	{
		kind = "ERR ";
		level = irr::ELL_ERROR;
	}
	else if (message.type == asMSGTYPE_WARNING)
	{
		kind = "WARN";
		level = irr::ELL_WARNING;
	}

	std::string line = message.section ? message.section : "";
	line += " (r " + std::to_string(message.row) + ", c " + std::to_string(message.col) + ") : ";
	line += kind;
	line += " : ";
	line += message.message ? message.message : "";
	if (Logger)
		Logger->log("script", line.c_str(), level);

	if (!Builds.empty() && message.type == asMSGTYPE_ERROR)
		Builds.back()->reportFailure("did not build: " + std::string(message.section ? message.section : "") + " (r " +
			std::to_string(message.row) + ", c " + std::to_string(message.col) +
			") : " + (message.message ? message.message : ""));
}

asIScriptContext* CScriptManager::requestContext(asIScriptEngine* engine, void* manager)
{
	// Past the close's budget what scripts still hold goes without its
	// destructors: the engine skips a call it gets no context for.
	SScriptBudget* budget = getScriptBudget(engine);
	if (budget && budget->closeSpent())
	{
		CScriptManager& self = *static_cast<CScriptManager*>(manager);
		if (!self.CloseSpentReported)
		{
			self.CloseSpentReported = true;
			reportRefusal("script",
				"The close spent its " + std::to_string(budget->CloseMs) +
					" ms of script time; the scripts' remaining work is dropped.");
		}
		return nullptr;
	}
	asIScriptContext* context = engine->CreateContext();
	if (context)
	{
		watchScriptTime(context);
		getScriptClock(context)->start();
	}
	return context;
}

void CScriptManager::returnContext(asIScriptEngine*, asIScriptContext* context, void* manager)
{
	CScriptManager& self = *static_cast<CScriptManager*>(manager);
	getScriptClock(context)->stop();
	if (!self.Builds.empty())
		self.Builds.back()->reportRunFailure(context);
	context->Release();
	self.dropSetAsideCode();
}

void CScriptManager::beginBuild(CScriptModule* module)
{
	Builds.push_back(module);
	BuildMessages.push_back(0);
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		beginScriptBuild(*budget);
}

void CScriptManager::endBuild()
{
	if (!Builds.empty())
	{
		if (BuildMessages.back() > SCRIPT_MAX_BUILD_MESSAGES && Builds.back())
			log(("Script of " + Builds.back()->describe() + ": " +
					std::to_string(BuildMessages.back() - SCRIPT_MAX_BUILD_MESSAGES) +
					" more messages of the compiler are not shown")
					.c_str(),
				irr::ELL_WARNING);
		Builds.pop_back();
		BuildMessages.pop_back();
	}
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		endScriptBuild(*budget);
	dropSetAsideCode();
}

void CScriptManager::beginClose()
{
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		beginScriptClose(*budget);
}

void CScriptManager::dropCodeLater(CScriptModule* module)
{
	asIScriptModule* code = module->peekEngineModule();
	if (!code)
		return;
	module->grab();
	CodeToDrop.push_back({module, code, module->getCodeGeneration()});
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		budget->EndRunsFrom = std::min(budget->EndRunsFrom, firstRunHolding(*budget, code));
}

bool CScriptManager::SCodeToDrop::stillHeld() const
{
	return Module->getCodeGeneration() == Generation;
}

size_t CScriptManager::firstRunHolding(const SScriptBudget& budget, asIScriptModule* code)
{
	for (size_t run = 0; run < budget.Runs.size(); ++run)
	{
		asIScriptContext* context = budget.Runs[run]->Context;
		// The whole stack: a context's nested runs lie on it as well.
		for (asUINT level = 0; context && level < context->GetCallstackSize(); ++level)
		{
			const asIScriptFunction* function = context->GetFunction(level);
			if (function && function->GetModule() == code)
				return run;
		}
	}
	return SIZE_MAX;
}

void CScriptManager::dropCodeNow()
{
	if (!Builds.empty())
		return;
	SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr;
	std::vector<SCodeToDrop> waiting;
	std::vector<SCodeToDrop> ready;
	for (const SCodeToDrop& entry : CodeToDrop)
		(budget && entry.stillHeld() && firstRunHolding(*budget, entry.Code) != SIZE_MAX ? waiting : ready)
			.push_back(entry);
	if (ready.empty())
		return;
	CodeToDrop = waiting;
	if (budget)
	{
		budget->EndRunsFrom = SIZE_MAX;
		for (const SCodeToDrop& entry : waiting)
			budget->EndRunsFrom = std::min(budget->EndRunsFrom, firstRunHolding(*budget, entry.Code));
	}
	for (const SCodeToDrop& entry : ready)
	{
		if (entry.stillHeld())
			entry.Module->dropCode();
		entry.Module->drop();
	}
	// What the code's objects hold in circles goes only with a collection;
	// what it has no time for goes in the next frames.
	collectScriptGarbage(
		Engine, std::chrono::steady_clock::now() + std::chrono::milliseconds(SCRIPT_COLLECT_AT_BOUND_MS));
}

void CScriptManager::beginFrame()
{
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		beginScriptFrame(*budget);
}

void CScriptManager::endFrame()
{
	// Within the frame, so that the destructors it runs share its budget.
	if (Engine)
		collectScriptGarbageInFrame(Engine, FrameCollection);
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		endScriptFrame(*budget);
}

bool CScriptManager::mayStartOwnRun()
{
	SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr;
	return !budget || mayStartOwnScriptRun(*budget);
}

void CScriptManager::beginOwnRun()
{
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		beginOwnScriptRun(*budget);
}

void CScriptManager::endOwnRun()
{
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		endOwnScriptRun(*budget);
}

void CScriptManager::beginRunSpan()
{
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		budget->openSpan();
}

void CScriptManager::endRunSpan()
{
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
		budget->closeSpan();
}

void CScriptManager::setBudgets(irr::u32 runMs, irr::u32 frameMs)
{
	if (SScriptBudget* budget = Engine ? getScriptBudget(Engine) : nullptr)
	{
		budget->RunMs = runMs;
		budget->FrameMs = frameMs;
	}
}

} // namespace orv::script
