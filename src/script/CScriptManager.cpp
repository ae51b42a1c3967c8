#include "script/CScriptManager.h"

#include "script/bindings/ScriptTypes.h"

#include <angelscript.h>
#include <scriptarray.h>
#include <scriptmath.h>

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

void registerAddOnsAndValueTypes(asIScriptEngine *engine)
{
	// The add-on picks its native or generic registration by the same test.
	RegisterScriptArray(engine, false);
	engine->RegisterDefaultArrayType("array<T>");

	if (isPortableBuild())
		RegisterScriptMath_Generic(engine);
	else
		RegisterScriptMath_Native(engine);

	declareMathTypes(engine);
	registerMathTypes(engine);
}

CScriptManager::CScriptManager(irr::ILogger *logger)
	: Logger(logger)
	, Engine(nullptr)
{
	init();
}

CScriptManager::~CScriptManager()
{
	if (Engine)
		Engine->ShutDownAndRelease();
}

void CScriptManager::init()
{
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
	Engine->SetMessageCallback(asMETHOD(CScriptManager, messageCallback), this, asCALL_THISCALL);
	registerAddOnsAndValueTypes(Engine);
}

void CScriptManager::messageCallback(const asSMessageInfo &message)
{
	const char *kind = "INFO";
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
}

} // namespace orv::script
