#pragma once
// The script host with the world it drives: the object manager, the physics
// manager and the twelve callbacks, without an engine or a device. Natives
// for tests: `check(bool, const string &in)`, `int refs(SceneObject@)` (the
// object's count without the argument's own reference) and
// `void sendToSelf(SceneObject@+ self, const string &in event)`, which
// delivers OnEvent to the object's own binding at once.

#include <string>
#include <vector>

#include <irrTypes.h>

#include "support/CRecordingLogger.h"

namespace AngelScript {
class asIScriptEngine;
}

namespace orv {
class CSceneObject;
namespace script {
class CScriptManager;
class CScriptModule;
} // namespace script

namespace test {

class CScriptWorld
{
public:
	CScriptWorld();
	// Scripts let go first, then the objects, the world and the host.
	~CScriptWorld();
	CScriptWorld(const CScriptWorld&) = delete;
	CScriptWorld& operator=(const CScriptWorld&) = delete;

	script::CScriptManager& scripts() { return *Scripts; }
	AngelScript::asIScriptEngine* engine() const;

	// An object of class "blank" whose class attribute "name" is the name.
	CSceneObject* makeObject(irr::u32 id, irr::u32 type, const char* name);

	// Loads the code as section "main"; a build error or a refusal fails the test.
	void load(script::CScriptModule* module, const std::string& code);
	// The module's global string variable of that name.
	std::string globalString(script::CScriptModule* module, const char* name) const;
	// Runs a function of the module on a context of its own; returns its
	// string result ("" for another return type).
	std::string call(script::CScriptModule* module, const char* declaration);

	// Failed checks as "where: text".
	const std::vector<std::string>& failedChecks() const { return Failures; }
	// Error lines the host logged since construction.
	std::vector<std::string> errors() const;
	// Every line of the host's own channel, "script", since construction.
	std::vector<std::string> scriptLines() const;
	// Code the host refused since construction, one line each (the
	// application's log reaches the same logger while the world lives).
	std::vector<std::string> refusals() const;

	void onCheckFailed(const std::string& text) { Failures.push_back(text); }

private:
	CRecordingLogger Logger;
	script::CScriptManager* Scripts = nullptr;
	std::vector<std::string> Failures;
};

} // namespace test
} // namespace orv
