#include "support/script_world.h"

#include <angelscript.h>
#include <gtest/gtest.h>

#include "base/Log.h"
#include "base/packet.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "script/api/ScriptCallbackTable.h"
#include "script/api/WorldAPI.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

namespace orv {
namespace test {

using namespace AngelScript;
using irr::core::ustring16;

namespace {

CScriptWorld* current = nullptr;

void check(bool condition, const ustring16& text)
{
	if (!condition && current)
		current->onCheckFailed(text.toUTF8_std());
}

int refs(CSceneObject* object)
{
	if (!object)
		return 0;
	const int count = object->getReferenceCount() - 1;
	object->drop(); // declared without @+: the reference is ours
	return count;
}

void sendToSelf(CSceneObject* self, const ustring16& event)
{
	if (!self || !self->getBinding())
		return;
	net::packet arguments = net::packet::fromU32(self->getId());
	arguments.append(net::packet::fromFloat(0.0f)).append(net::packet::fromFloat(0.0f));
	arguments.append(net::packet::fromFloat(0.0f));
	arguments.append(net::packet::fromString(event)).append(net::packet::fromString(ustring16()));
	self->getBinding()->callCallback(script::ESC_EVENT, std::move(arguments), self);
}

} // namespace

CScriptWorld::CScriptWorld()
{
	current = this;
	setLogger(&Logger);
	Scripts = new script::CScriptManager(&Logger, script::registerWorldAPI);
	registerScriptCallbacks(*Scripts, nullptr);
	asIScriptEngine* e = Scripts->getEngine();
	e->RegisterGlobalFunction("void check(bool, const string &in)", asFUNCTION(check), asCALL_CDECL);
	e->RegisterGlobalFunction("int refs(SceneObject@)", asFUNCTION(refs), asCALL_CDECL);
	e->RegisterGlobalFunction("void sendToSelf(SceneObject@+, const string &in)", asFUNCTION(sendToSelf), asCALL_CDECL);
	CObjectManager::getInstance()->getObjectClass(Scripts, "blank");
}

CScriptWorld::~CScriptWorld()
{
	Scripts->releaseScripts();
	CObjectManager::destroyInstance();
	CPhysicsManager::destroyInstance();
	delete Scripts;
	setLogger(nullptr);
	current = nullptr;
}

asIScriptEngine* CScriptWorld::engine() const
{
	return Scripts->getEngine();
}

CSceneObject* CScriptWorld::makeObject(irr::u32 id, irr::u32 type, const char* name)
{
	CSceneObject* object = CObjectManager::getInstance()->createSceneObject(id, type, "");
	if (object)
		object->getClassAttributes().setString("name", -1, name);
	return object;
}

void CScriptWorld::load(script::CScriptModule* module, const std::string& code)
{
	const size_t before = errors().size();
	const size_t refusedBefore = refusals().size();
	module->load(ustring16(code), "main");
	std::vector<std::string> now = errors();
	for (size_t i = before; i < now.size(); ++i)
		ADD_FAILURE() << now[i];
	now = refusals();
	for (size_t i = refusedBefore; i < now.size(); ++i)
		ADD_FAILURE() << now[i];
}

std::string CScriptWorld::globalString(script::CScriptModule* module, const char* name) const
{
	asIScriptModule* engineModule = module->getEngineModule();
	if (!engineModule)
		return "<no module>";
	const int index = engineModule->GetGlobalVarIndexByName(name);
	if (index < 0)
		return "<no variable>";
	return static_cast<const ustring16*>(engineModule->GetAddressOfGlobalVar(index))->toUTF8_std();
}

std::string CScriptWorld::call(script::CScriptModule* module, const char* declaration)
{
	asIScriptFunction* function = module->getEngineModule()->GetFunctionByDecl(declaration);
	if (!function)
	{
		ADD_FAILURE() << "no function " << declaration;
		return "";
	}
	asIScriptContext* context = engine()->CreateContext();
	context->Prepare(function);
	std::string result;
	const int status = context->Execute();
	if (status == asEXECUTION_EXCEPTION)
		ADD_FAILURE() << "script exception: " << context->GetExceptionString();
	else if (status == asEXECUTION_FINISHED && function->GetReturnTypeId() == engine()->GetTypeIdByDecl("string"))
		result = static_cast<const ustring16*>(context->GetReturnObject())->toUTF8_std();
	context->Release();
	return result;
}

std::vector<std::string> CScriptWorld::refusals() const
{
	std::vector<std::string> lines;
	for (const SLoggedLine& line : Logger.lines)
		if (line.level == irr::ELL_WARNING && line.text == "script" &&
			line.hint.find(" refused: ") != std::string::npos)
			lines.push_back(line.hint);
	return lines;
}

std::vector<std::string> CScriptWorld::scriptLines() const
{
	std::vector<std::string> lines;
	for (const SLoggedLine& line : Logger.lines)
		if (line.text == "script")
			lines.push_back(line.hint);
	return lines;
}

std::vector<std::string> CScriptWorld::errors() const
{
	std::vector<std::string> lines;
	for (const SLoggedLine& line : Logger.lines)
		if (line.level == irr::ELL_ERROR)
			lines.push_back(line.hint);
	return lines;
}

} // namespace test
} // namespace orv
