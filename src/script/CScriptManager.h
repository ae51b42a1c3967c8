#pragma once
// The client's one script host: owns the AngelScript engine and sets it up
// with the add-ons, the value types and the engine objects' script API.

#include <irrlicht.h>

namespace AngelScript {
class asIScriptEngine;
struct asSMessageInfo;
} // namespace AngelScript

namespace orv::script {

// Construction steps 2 to 4 on any engine: the array add-on with "array<T>" as
// the default array type, the math add-on, then every value type. Script
// tests build their engines with it so they see exactly what the client sees.
void registerAddOnsAndValueTypes(AngelScript::asIScriptEngine *engine);

class CScriptManager
{
public:
	// The logger is borrowed, not grabbed; it receives the engine's messages.
	explicit CScriptManager(irr::ILogger *logger);
	~CScriptManager();

	CScriptManager(const CScriptManager &) = delete;
	CScriptManager &operator=(const CScriptManager &) = delete;

	// Null only when the engine could not be created.
	AngelScript::asIScriptEngine *getEngine() const { return Engine; }

	// The engine's message sink: one line per message on channel "script".
	void messageCallback(const AngelScript::asSMessageInfo &message);

private:
	void init();

	irr::ILogger *Logger;
	AngelScript::asIScriptEngine *Engine;
};

} // namespace orv::script
