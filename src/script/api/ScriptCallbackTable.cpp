#include "script/api/ScriptCallbackTable.h"

#include "base/packet.h"
#include "script/CScriptManager.h"
#include "script/ScriptCallbacks.h"
#include "script/api/IGameHost.h"
#include "script/api/SceneObjectLookup.h"

#include <angelscript.h>
#include <ITimer.h>
#include <IrrlichtDevice.h>
#include <vector2d.h>

namespace orv::script {

using namespace AngelScript;

namespace {

// A short packet reads 0 for every missing number and "" for a missing
// string (the packet's own rule); the callback still runs.

void setObjectArg(asIScriptContext* context, asUINT index, net::packet& arguments)
{
	context->SetArgObject(index, findSceneObject(arguments.readU32()));
}

void setVectorArg(asIScriptContext* context, asUINT index, net::packet& arguments)
{
	const irr::f32 x = arguments.readFloat();
	const irr::f32 y = arguments.readFloat();
	irr::core::vector2df vector(x, y);
	// The engine copies the value into the argument.
	context->SetArgObject(index, &vector);
}

void decodeUpdate(asIScriptContext* context, net::packet&, IGameHost* host)
{
	// Every binding of one frame sees the same time: the engine stores the
	// frame time only after the scripts have run.
	irr::u32 elapsed = 0;
	if (host && host->getDevice())
		elapsed = host->getDevice()->getTimer()->getTime() - host->getLastFrameTime();
	context->SetArgDWord(1, elapsed);
}

void decodeNothing(asIScriptContext*, net::packet&, IGameHost*)
{
}

void decodeOtherObject(asIScriptContext* context, net::packet& arguments, IGameHost*)
{
	setObjectArg(context, 1, arguments);
}

void decodeSolveContact(asIScriptContext* context, net::packet& arguments, IGameHost*)
{
	setObjectArg(context, 1, arguments);
	setVectorArg(context, 2, arguments); // normal
	setVectorArg(context, 3, arguments); // self point
	setVectorArg(context, 4, arguments); // other point
}

void decodeKeyPress(asIScriptContext* context, net::packet& arguments, IGameHost*)
{
	context->SetArgDWord(1, arguments.readU8());
}

void decodeMouseMove(asIScriptContext* context, net::packet& arguments, IGameHost*)
{
	context->SetArgDWord(1, arguments.readU32());
	context->SetArgDWord(2, arguments.readU32());
}

void decodeMouseButton(asIScriptContext* context, net::packet& arguments, IGameHost*)
{
	context->SetArgDWord(1, arguments.readU32());
	context->SetArgDWord(2, arguments.readU32());
	context->SetArgDWord(3, arguments.readU8());
}

void decodeMouseWheel(asIScriptContext* context, net::packet& arguments, IGameHost*)
{
	context->SetArgDWord(1, arguments.readU32());
	context->SetArgDWord(2, arguments.readU32());
	context->SetArgFloat(3, arguments.readFloat());
}

void decodeEvent(asIScriptContext* context, net::packet& arguments, IGameHost*)
{
	setObjectArg(context, 1, arguments);
	setVectorArg(context, 4, arguments); // origin
	context->SetArgFloat(5, arguments.readFloat());
	irr::core::ustring16 event = arguments.readString();
	irr::core::ustring16 data = arguments.readString();
	context->SetArgObject(2, &event);
	context->SetArgObject(3, &data);
}

typedef void (*ArgDecoder)(asIScriptContext* context, net::packet& arguments, IGameHost* host);

struct SCallbackRow
{
	EScriptCallback id;
	const char* declaration;
	ArgDecoder decoder;
};

const SCallbackRow CALLBACKS[] = {
	{ESC_UPDATE, "void Update(SceneObject@+ self, uint timeMS)", decodeUpdate},
	{ESC_CREATED, "void Created(SceneObject@+ self)", decodeNothing},
	{ESC_BEGIN_CONTACT, "void OnBeginContact(SceneObject@+ self, SceneObject@+ other)", decodeOtherObject},
	{ESC_END_CONTACT, "void OnEndContact(SceneObject@+ self, SceneObject@+ other)", decodeOtherObject},
	{ESC_SOLVE_CONTACT,
		"bool OnSolveContact(SceneObject@+ self, SceneObject@+ other, vector2df normal, vector2df self_point, "
		"vector2df other_point)",
		decodeSolveContact},
	{ESC_PLAYER_ENTERS_LEVEL, "void OnPlayerEntersLevel(SceneObject@+ self, SceneObject@+ other)", decodeOtherObject},
	{ESC_KEY_PRESS, "void OnKeyPress(SceneObject@+ self, EKEY_CODE key)", decodeKeyPress},
	{ESC_MOUSE_MOVE, "void OnMouseMove(SceneObject@+ self, int x, int y)", decodeMouseMove},
	{ESC_MOUSE_DOWN, "void OnMouseDown(SceneObject@+ self, int x, int y, int button)", decodeMouseButton},
	{ESC_MOUSE_UP, "void OnMouseUp(SceneObject@+ self, int x, int y, int button)", decodeMouseButton},
	{ESC_MOUSE_WHEEL, "void OnMouseWheel(SceneObject@+ self, int x, int y, float delta)", decodeMouseWheel},
	{ESC_EVENT,
		"void OnEvent(SceneObject@+ self, SceneObject@+ sender, string event, string data, vector2df origin, "
		"float range)",
		decodeEvent},
};

} // namespace

void registerScriptCallbacks(CScriptManager& manager, IGameHost* host)
{
	for (const SCallbackRow& row : CALLBACKS)
	{
		const ArgDecoder decoder = row.decoder;
		manager.addCallback(
			row.id,
			[decoder, host](asIScriptContext* context, net::packet& arguments) { decoder(context, arguments, host); },
			false, row.declaration);
	}
}

} // namespace orv::script
