#include "script/CScriptModule.h"

#include "script/CScriptManager.h"

#include <angelscript.h>

namespace orv::script {

using namespace AngelScript;

namespace {

const char *kindPrefix(EScriptModuleKind kind)
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

} // namespace

CScriptModule::CScriptModule(const irr::core::ustring16 &name, CScriptManager *manager, EScriptModuleKind kind)
	: ModuleName(name.toUTF8_s())
	, ScriptManager(nullptr)
	, EngineModule(nullptr)
	, Kind(kind)
{
	EngineModuleName = kindPrefix(kind);
	EngineModuleName += ModuleName;
	if (manager)
		setManager(manager);
}

CScriptModule::~CScriptModule()
{
	discardEngineModule();
	if (ScriptManager)
		ScriptManager->forgetModule(this);
}

void CScriptModule::setManager(CScriptManager *manager)
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
	if (!manager || !manager->getEngine())
	{
		CallbackIds.clear();
		return;
	}
	EngineModule = manager->getEngine()->GetModule(EngineModuleName.c_str(), asGM_ALWAYS_CREATE);
	resolveCallbacks();
}

void CScriptModule::load(const irr::core::ustring16 &code, const irr::core::ustring16 &sectionName)
{
	if (!EngineModule)
		return;
	const irr::core::stringc codeUtf8 = code.toUTF8_s();
	const irr::core::stringc section = sectionName.toUTF8_s();

	// A module builds from the sections added since its last build, but the
	// old functions would linger until then; a fresh module holds the new
	// code only.
	if (EngineModule->GetFunctionCount() != 0)
	{
		asIScriptEngine *engine = EngineModule->GetEngine();
		discardEngineModule();
		EngineModule = engine->GetModule(EngineModuleName.c_str(), asGM_ALWAYS_CREATE);
	}
	EngineModule->AddScriptSection(section.c_str(), codeUtf8.c_str(), codeUtf8.size(), 0);
	EngineModule->Build();
	resolveCallbacks();
}

void CScriptModule::resolveCallbacks()
{
	const irr::u32 count = ScriptManager ? ScriptManager->callbackCount() : 0;
	CallbackIds.assign(count, asNO_FUNCTION);
	if (!EngineModule)
		return;
	for (const auto &entry : ScriptManager->getCallbacks())
	{
		if (entry.first >= count || CallbackIds[entry.first] != asNO_FUNCTION)
			continue;
		asIScriptFunction *function = EngineModule->GetFunctionByDecl(entry.second.Declaration.c_str());
		if (function)
			CallbackIds[entry.first] = function->GetId();
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
	ScriptManager = nullptr;
}

void CScriptModule::discardEngineModule()
{
	if (!EngineModule)
		return;
	// Forgotten before the discard: the module's globals let go of what they
	// held, and an object freed by that drops its own module, which must not
	// discard the same engine module a second time.
	asIScriptEngine *engine = EngineModule->GetEngine();
	EngineModule = nullptr;
	engine->DiscardModule(EngineModuleName.c_str());
}

} // namespace orv::script
