#include "engine/CGameEventReceiver.h"

#include "engine/CGameEngine.h"

namespace orv {

namespace {

void queue(CGameEngine& engine, irr::u32 callbackId, net::packet arguments)
{
	SScriptEvent event;
	event.callbackId = callbackId;
	event.arguments = std::move(arguments);
	engine.queueEvent(event);
}

void onKey(CGameEngine& engine, const irr::SEvent::SKeyInput& key)
{
	// KEY_NONE and raw codes beyond Irrlicht's table have no state and no
	// one-byte form for the script.
	if (static_cast<irr::u32>(key.Key) >= CGameEngine::KEY_STATE_COUNT)
		return;
	engine.setKeyState(key.Key, key.PressedDown);
	if (key.PressedDown)
		queue(engine, script::ESC_KEY_PRESS, net::packet::fromU8(static_cast<irr::u8>(key.Key)));
}

void onMouse(CGameEngine& engine, const irr::SEvent::SMouseInput& mouse)
{
	net::packet arguments = net::packet::fromU32(static_cast<irr::u32>(mouse.X));
	arguments.append(net::packet::fromU32(static_cast<irr::u32>(mouse.Y)));
	switch (mouse.Event)
	{
	case irr::EMIE_LMOUSE_PRESSED_DOWN:
		queue(engine, script::ESC_MOUSE_DOWN, std::move(arguments.append(net::packet::fromU8(0))));
		break;
	case irr::EMIE_RMOUSE_PRESSED_DOWN:
		queue(engine, script::ESC_MOUSE_DOWN, std::move(arguments.append(net::packet::fromU8(1))));
		break;
	case irr::EMIE_MMOUSE_PRESSED_DOWN:
		queue(engine, script::ESC_MOUSE_DOWN, std::move(arguments.append(net::packet::fromU8(2))));
		break;
	case irr::EMIE_LMOUSE_LEFT_UP:
		queue(engine, script::ESC_MOUSE_UP, std::move(arguments.append(net::packet::fromU8(0))));
		break;
	case irr::EMIE_RMOUSE_LEFT_UP:
		queue(engine, script::ESC_MOUSE_UP, std::move(arguments.append(net::packet::fromU8(1))));
		break;
	case irr::EMIE_MMOUSE_LEFT_UP:
		queue(engine, script::ESC_MOUSE_UP, std::move(arguments.append(net::packet::fromU8(2))));
		break;
	case irr::EMIE_MOUSE_MOVED:
		queue(engine, script::ESC_MOUSE_MOVE, std::move(arguments));
		break;
	case irr::EMIE_MOUSE_WHEEL:
		queue(engine, script::ESC_MOUSE_WHEEL, std::move(arguments.append(net::packet::fromFloat(mouse.Wheel))));
		break;
	default:
		break;
	}
}

} // namespace

bool CGameEventReceiver::OnEvent(const irr::SEvent& event)
{
	CGameEngine* engine = CGameEngine::getInstance();
	if (!engine)
		return false;
	if (event.EventType == irr::EET_KEY_INPUT_EVENT)
	{
		// A key let go while no game runs is still let go.
		if (!engine->isGameRunning())
			engine->setKeyState(event.KeyInput.Key, event.KeyInput.PressedDown);
		else
			onKey(*engine, event.KeyInput);
	}
	else if (event.EventType == irr::EET_MOUSE_INPUT_EVENT && engine->isGameRunning())
	{
		onMouse(*engine, event.MouseInput);
	}
	return false;
}

} // namespace orv
