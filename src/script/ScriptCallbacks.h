#pragma once
// The twelve script callbacks the client calls by number. Their declarations
// and argument decoders are entered by the script API (ScriptCallbackTable).

#include <irrTypes.h>

namespace orv::script {

enum EScriptCallback : irr::u32
{
	ESC_UPDATE = 0,
	ESC_CREATED = 1,
	ESC_BEGIN_CONTACT = 2,
	ESC_END_CONTACT = 3,
	ESC_SOLVE_CONTACT = 4,
	ESC_PLAYER_ENTERS_LEVEL = 5,
	ESC_KEY_PRESS = 6,
	ESC_MOUSE_MOVE = 7,
	ESC_MOUSE_DOWN = 8,
	ESC_MOUSE_UP = 9,
	ESC_MOUSE_WHEEL = 10,
	ESC_EVENT = 11,
	ESC_COUNT = 12
};

} // namespace orv::script
