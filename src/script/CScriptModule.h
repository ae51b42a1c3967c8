#pragma once
// One compiled unit of script code and the function id of every callback it
// defines.

#include <IReferenceCounted.h>
#include <irrString.h>
#include <irrTypes.h>

#include <set>
#include <string>
#include <vector>

#include "base/ustring16.h"

namespace AngelScript {
class asIScriptContext;
class asIScriptModule;
} // namespace AngelScript

namespace orv::script {

class CScriptManager;
struct SScriptRunClock;

// Who owns a module. Each kind has its own range of names inside the script
// engine, so a class that happens to be called "client" or "scene_object_5"
// never discards the engine's or an object's code.
enum EScriptModuleKind
{
	ESMK_ENGINE = 0, // the modules the manager hands out by name ("client")
	ESMK_CLASS,      // an object class's module, named after the class
	ESMK_OBJECT      // a scene object's own module, "scene_object_" + id
};

class CScriptModule : public virtual irr::IReferenceCounted
{
public:
	// The count starts at 1, held by the maker. A manager binds the module at
	// once (see setManager).
	CScriptModule(const irr::core::ustring16& name, CScriptManager* manager, EScriptModuleKind kind);
	~CScriptModule() override;

	CScriptModule(const CScriptModule&) = delete;
	CScriptModule& operator=(const CScriptModule&) = delete;

	// Binds the module to the manager's engine, empty (the engine module held
	// before is discarded), then resolves the callbacks. Null detaches the
	// module from every engine.
	void setManager(CScriptManager* manager);
	// Bound to a manager that has a script engine.
	bool isBound() const;

	// Replaces the module's code by this one section and builds it; compile
	// messages reach the manager's log, and each error once more naming the
	// module. Code past the source guard's bounds (ScriptSourceGuard.h) is
	// refused unbuilt with one "script" line, and a failed build
	// or global initialiser leaves the module without the code's functions.
	// Nothing happens on an unbound module.
	// `fileName` is the package file the code was read from, for the log's
	// lines about it; empty for code that came from elsewhere.
	void load(
		const irr::core::ustring16& code, const irr::core::ustring16& sectionName, const std::string& fileName = "");

	// Looks every callback of the manager's table up in the module's code;
	// missing ones hold asNO_FUNCTION (-6).
	void resolveCallbacks();

	const irr::core::stringc& getName() const { return ModuleName; }
	// The name the script engine knows the module by.
	const irr::core::stringc& getEngineModuleName() const { return EngineModuleName; }
	EScriptModuleKind getKind() const { return Kind; }
	CScriptManager* getScriptManager() const { return ScriptManager; }
	// The engine module of a bound module, made on first request; null while
	// unbound. A module without code has none before it is asked for: the
	// script engine finds modules by a search over all of them, and a world of
	// objects that never get code of their own would pay it once per object.
	AngelScript::asIScriptModule* getEngineModule();
	// The engine module held now; null when none was made.
	AngelScript::asIScriptModule* peekEngineModule() const { return EngineModule; }
	// Moves on whenever the engine module is discarded: what holds on to one
	// knows whether it is still this module's.
	irr::u64 getCodeGeneration() const { return CodeGeneration; }
	const std::vector<irr::s32>& getCallbackIds() const { return CallbackIds; }
	// asNO_FUNCTION for an id the module has no function for or that lies
	// beyond its table.
	irr::s32 getCallbackId(irr::u32 callbackId) const;
	// Whether any callback resolved to a function.
	bool hasCallbacks() const { return AnyCallback; }
	// Moves on whenever the callbacks of any module change: what holds an
	// answer of hasCallbacks may keep it while this stays.
	static irr::u64 getCallbacksRevision() { return CallbacksRevision; }

	// The manager's teardown: the engine module is discarded and the module
	// forgets the manager; what still holds the module may drop it later.
	void detach();

	// The class of the object a module belongs to, for the log.
	void setOwnerClass(const std::string& className) { OwnerClass = className; }

	// Who the code belongs to and where it was read from, for the log:
	// module "client" (file "client.as"), class "ball",
	// object "scene_object_5" (class "ball", file "level.xml").
	std::string describe() const;
	// Logs "Script of <module> <what>" on "script" at error level, unless the
	// same line was logged since the code was last loaded: a callback that
	// fails every frame fails in one line.
	void reportFailure(const std::string& what);
	// Reports why a run of this module's code on the context ended early: the
	// exception, or the budget its clock saw run out. Nothing otherwise.
	// A run that met the scripts' memory bound sets the module aside (its
	// code is dropped, so that what its globals hold is freed), said in the
	// same line; returns whether it did.
	bool reportRunFailure(AngelScript::asIScriptContext* context);
	// Reports the budget the clock's run ran out of, where it saw it.
	void reportOutOfTime(const SScriptRunClock& clock);
	// The code goes: the engine module is discarded and the callbacks read
	// as missing. The module stays bound and takes new code.
	void dropCode();

	// Counts a run of this module that ran out of time in that frame (0: not
	// in a frame). Runs that do so in SCRIPT_SET_ASIDE_FRAMES frames in a row
	// set the module aside: its callbacks are skipped until it gets new code.
	void noteOutOfTime(irr::u64 frame);
	bool isSetAside() const { return SetAside; }

private:
	void discardEngineModule();

	std::vector<irr::s32> CallbackIds;
	irr::core::stringc ModuleName;
	CScriptManager* ScriptManager;
	AngelScript::asIScriptModule* EngineModule;
	EScriptModuleKind Kind;
	irr::core::stringc EngineModuleName;
	std::set<std::string> Reported;
	std::string OwnerClass;
	std::string FileName;
	bool AnyCallback = false;
	bool SetAside = false;
	irr::u64 CodeGeneration = 0;
	irr::u64 LastFrameOutOfTime = 0;
	irr::u32 FramesOutOfTime = 0;
	static irr::u64 CallbacksRevision;
};

} // namespace orv::script
