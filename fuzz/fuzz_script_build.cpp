// The script build path under libFuzzer: the input is source text, built as
// the client's code through the one path every script takes (refusal of
// what the compiler cannot survive, build, globals' initialisers under the
// run budget). Every input gets a script host of its own.

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/api/ScriptCallbackTable.h"
#include "script/api/WorldAPI.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
	orv::script::CScriptManager scripts(nullptr, orv::script::registerWorldAPI);
	orv::script::registerScriptCallbacks(scripts, nullptr);
	// Initialisers that spin end soon.
	scripts.setBudgets(50, 50);
	const std::string code(reinterpret_cast<const char*>(data), size);
	orv::script::CScriptModule* client = scripts.getModule("client");
	client->load(irr::core::ustring16(code.c_str()), "main");
	// The module takes code again after whatever came before.
	client->load(irr::core::ustring16("void Created(SceneObject@+ self) {}"), "main");
	if (client->getCallbackId(1) < 0)
		__builtin_trap();
	scripts.releaseScripts();
	orv::CObjectManager::destroyInstance();
	orv::CPhysicsManager::destroyInstance();
	return 0;
}
