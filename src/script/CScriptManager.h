#pragma once
// The client's one script host: owns the AngelScript engine and sets it up
// with the add-ons, the value types and whatever script API its maker adds.

#include <irrlicht.h>

#include <functional>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/ustring16.h"
#include "script/bindings/ScriptCollector.h"

namespace AngelScript {
class asIScriptEngine;
class asIScriptContext;
class asIScriptModule;
struct asSMessageInfo;
} // namespace AngelScript

namespace orv::net {
class packet;
}

namespace orv::script {

class CScriptModule;
struct SScriptBudget;

// Sets a prepared callback's arguments from index 1 on (0 is `self`), reading
// them from the packet's read position.
typedef std::function<void(AngelScript::asIScriptContext* context, net::packet& arguments)> ScriptCallbackArgDecoder;

struct SScriptCallbackDecl
{
	irr::core::stringc Declaration;
	ScriptCallbackArgDecoder Decoder;
};

typedef std::map<irr::u32, SScriptCallbackDecl> ScriptCallbackTable;

// Messages of the compiler one build logs: code of nothing but errors has
// one for each statement, tens of thousands in a module.
const irr::u32 SCRIPT_MAX_BUILD_MESSAGES = 64;

// Registers the types and functions of a script API the host does not know
// itself (the world's, in the program).
typedef void (*ScriptApiRegistrar)(AngelScript::asIScriptEngine* engine);

// Construction steps 2 to 4 on any engine: the array add-on with "array<T>" as
// the default array type, the math add-on, then every value type. Script
// tests build their engines with it so they see exactly what the client sees.
void registerAddOnsAndValueTypes(AngelScript::asIScriptEngine* engine);

class CScriptManager
{
public:
	// The logger is borrowed, not grabbed; it receives the engine's messages.
	// The registrar, when given, adds its API once the value types are in.
	explicit CScriptManager(irr::ILogger* logger, ScriptApiRegistrar registerApi = nullptr);
	~CScriptManager();

	CScriptManager(const CScriptManager&) = delete;
	CScriptManager& operator=(const CScriptManager&) = delete;

	// Null only when the engine could not be created.
	AngelScript::asIScriptEngine* getEngine() const { return Engine; }

	// The engine's message sink: one line per message on channel "script",
	// for a build its first SCRIPT_MAX_BUILD_MESSAGES and one line that
	// counts the rest at its end.
	void messageCallback(const AngelScript::asSMessageInfo& message);
	// One line of the host's own on channel "script".
	void log(const char* text, irr::ELOG_LEVEL level) const;
	// While a module builds, the engine's error messages and a failed run of
	// its globals' initialisers are reported by that module as well, and
	// those runs have the build's budget (see ScriptBudget.h).
	void beginBuild(CScriptModule* module);
	void endBuild();
	// The namespaces of the code accepted so far (see checkScriptSource).
	std::unordered_set<std::string>& heldNamespaces() { return HeldNamespaces; }

	// The engine's frame: the script work between the two shares one frame's
	// budget. Runs outside a frame have their run budget only.
	void beginFrame();
	void endFrame();
	// A stretch of the frame made mostly of script runs (the walk over the
	// objects' callbacks) lies between these two: the clock is read at its
	// two ends instead of in each run, and all of it is script time.
	void beginRunSpan();
	void endRunSpan();
	// The run and frame budgets in milliseconds, for tests and tools that
	// need them to end runs in a known order.
	void setBudgets(irr::u32 runMs, irr::u32 frameMs);
	// A run with a budget of its own (a Created that must not be lost to
	// other scripts' time) lies between these two; mayStartOwnRun says
	// whether one may start now or must wait for a later frame.
	bool mayStartOwnRun();
	void beginOwnRun();
	void endOwnRun();
	// The program's close begins: all script work from here on (destructors
	// and releases of what scripts hold) shares SCRIPT_CLOSE_BUDGET_MS, and
	// once it is spent the rest is dropped without running. The manager's
	// destruction begins it too.
	void beginClose();

	// The code of a module set aside for the scripts' memory goes as soon as
	// no run going on has a function of it on its stack, which is at once
	// unless the module's own code asked for the run that met the bound; the
	// runs nested in that code then end with it, so that what it holds is
	// freed before any other script meets the bound for it.
	void dropCodeLater(CScriptModule* module);
	// Drops that code now when no run goes on, and collects what it held.
	// Every run ends here: nothing to drop is the quick way out.
	void dropSetAsideCode()
	{
		if (!CodeToDrop.empty())
			dropCodeNow();
	}

	// The module of that name, made (and bound to this manager) on first use.
	// Borrowed: the manager keeps the only reference unless the caller grabs.
	CScriptModule* getModule(const irr::core::ustring16& name);

	// Enters or replaces the callback of the id. Modules see the change when
	// they resolve again: at once for all of them when resolveModules is set.
	void addCallback(
		irr::u32 id, ScriptCallbackArgDecoder decoder, bool resolveModules, irr::core::stringc declaration);
	// Resolves every module of the name map, in name order.
	void resolveAllCallbacks();

	const ScriptCallbackTable& getCallbacks() const { return Callbacks; }
	// Null when the table has no entry for the id.
	const SScriptCallbackDecl* findCallback(irr::u32 id) const;
	irr::u32 callbackCount() const { return static_cast<irr::u32>(Callbacks.size()); }

	// The first step of the program's teardown: every module bound to this
	// manager loses its engine module (their globals let go of what they
	// held) and a full garbage collection runs, so no script keeps a scene
	// object alive once the object manager lets its objects go. The modules
	// stay usable objects but run nothing any more.
	void releaseScripts();

	// Kept by the modules themselves, so the manager can detach every module
	// still bound to it when scripts are released or it is destroyed.
	void rememberModule(CScriptModule* module);
	void forgetModule(CScriptModule* module);

private:
	// The contexts the engine asks for itself (globals' initialisers, the
	// array add-on's comparisons) are held to the run budget as well.
	static AngelScript::asIScriptContext* requestContext(AngelScript::asIScriptEngine* engine, void* manager);
	static void returnContext(
		AngelScript::asIScriptEngine* engine, AngelScript::asIScriptContext* context, void* manager);

	void init(ScriptApiRegistrar registerApi);
	void dropCodeNow();
	// The close's collection of what scripts held, bounded whatever they held.
	void collectAtClose();
	// The first run going on whose stack holds a function of the code;
	// SIZE_MAX for none.
	static size_t firstRunHolding(const SScriptBudget& budget, AngelScript::asIScriptModule* code);
	void detachAllModules();

	irr::ILogger* Logger;
	AngelScript::asIScriptEngine* Engine;
	std::map<irr::core::ustring16, CScriptModule*> Modules;
	ScriptCallbackTable Callbacks;
	// Every object's own module enters here: found without a search.
	std::unordered_set<CScriptModule*> BoundModules;
	// The table's entries by id, for the lookup every delivery makes.
	std::vector<const SScriptCallbackDecl*> CallbackSlots;
	// The build going on, innermost last, with the compiler's messages it
	// had so far.
	std::vector<CScriptModule*> Builds;
	std::vector<irr::u32> BuildMessages;
	// The namespaces of all code accepted: the engine keeps them.
	std::unordered_set<std::string> HeldNamespaces;
	// Each with the engine module it held when it was set aside: new code it
	// got since is not dropped.
	struct SCodeToDrop
	{
		CScriptModule* Module;
		AngelScript::asIScriptModule* Code;
		irr::u64 Generation;
		bool stillHeld() const;
	};
	std::vector<SCodeToDrop> CodeToDrop;
	SFrameCollection FrameCollection;
	bool CloseSpentReported = false;
};

} // namespace orv::script
