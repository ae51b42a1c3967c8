#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/CGameEngine.h"
#include "engine/CGameEventReceiver.h"
#include "frontend/CLoginEventReceiver.h"
#include "script/CScriptModule.h"
#include "support/engine_fixture.h"
#include "support/login_screen.h"

#include <angelscript.h>

namespace {

irr::SEvent key(irr::EKEY_CODE code, bool down)
{
	irr::SEvent event{};
	event.EventType = irr::EET_KEY_INPUT_EVENT;
	event.KeyInput.Key = code;
	event.KeyInput.PressedDown = down;
	return event;
}

irr::SEvent mouse(irr::EMOUSE_INPUT_EVENT what, irr::s32 x, irr::s32 y, irr::f32 wheel = 0.0f)
{
	irr::SEvent event{};
	event.EventType = irr::EET_MOUSE_INPUT_EVENT;
	event.MouseInput.Event = what;
	event.MouseInput.X = x;
	event.MouseInput.Y = y;
	event.MouseInput.Wheel = wheel;
	return event;
}

irr::SEvent gui()
{
	irr::SEvent event{};
	event.EventType = irr::EET_GUI_EVENT;
	return event;
}

typedef std::pair<irr::u32, std::vector<irr::u8>> Queued;

// X = 10, Y = 70000.
const std::vector<irr::u8> AT = {0, 0, 0, 10, 0, 1, 0x11, 0x70};

std::vector<irr::u8> at(std::vector<irr::u8> tail)
{
	std::vector<irr::u8> bytes = AT;
	bytes.insert(bytes.end(), tail.begin(), tail.end());
	return bytes;
}

} // namespace

class GameEventReceiverTest : public orv::test::EngineTest
{
};

TEST_F(GameEventReceiverTest, QueuesInputAndKeepsKeyStates)
{
	struct Case
	{
		const char* name;
		std::vector<irr::SEvent> events;
		std::vector<Queued> expectedQueue;
		bool expectedKeyADown;
	};
	const Case cases[] = {
		{"press", {key(irr::KEY_KEY_A, true)}, {{6, {0x41}}}, true},
		{"release queues nothing", {key(irr::KEY_KEY_A, false)}, {}, false},
		{"press and release in one frame", {key(irr::KEY_KEY_A, true), key(irr::KEY_KEY_A, false)}, {{6, {0x41}}},
			false},
		{"repeats while held", {key(irr::KEY_KEY_A, true), key(irr::KEY_KEY_A, true)}, {{6, {0x41}}, {6, {0x41}}},
			true},
		{"KEY_NONE ignored", {key(irr::KEY_NONE, true)}, {}, false},
		{"raw code ignored", {key(static_cast<irr::EKEY_CODE>(300), true)}, {}, false},
		{"move", {mouse(irr::EMIE_MOUSE_MOVED, 10, 70000)}, {{7, AT}}, false},
		{"negative position", {mouse(irr::EMIE_MOUSE_MOVED, -1, -2)},
			{{7, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}}}, false},
		{"left click", {mouse(irr::EMIE_LMOUSE_PRESSED_DOWN, 10, 70000), mouse(irr::EMIE_LMOUSE_LEFT_UP, 10, 70000)},
			{{8, at({0})}, {9, at({0})}}, false},
		{"right button", {mouse(irr::EMIE_RMOUSE_PRESSED_DOWN, 10, 70000), mouse(irr::EMIE_RMOUSE_LEFT_UP, 10, 70000)},
			{{8, at({1})}, {9, at({1})}}, false},
		{"middle button", {mouse(irr::EMIE_MMOUSE_PRESSED_DOWN, 10, 70000), mouse(irr::EMIE_MMOUSE_LEFT_UP, 10, 70000)},
			{{8, at({2})}, {9, at({2})}}, false},
		{"wheel up", {mouse(irr::EMIE_MOUSE_WHEEL, 10, 70000, 1.0f)}, {{10, at({0x3F, 0x80, 0, 0})}}, false},
		{"wheel down", {mouse(irr::EMIE_MOUSE_WHEEL, 10, 70000, -1.0f)}, {{10, at({0xBF, 0x80, 0, 0})}}, false},
		{"double and triple clicks",
			{mouse(irr::EMIE_LMOUSE_DOUBLE_CLICK, 1, 1), mouse(irr::EMIE_RMOUSE_DOUBLE_CLICK, 1, 1),
				mouse(irr::EMIE_MMOUSE_TRIPLE_CLICK, 1, 1)},
			{}, false},
		{"GUI event", {gui()}, {}, false},
	};

	orv::CGameEngine& engine = this->engine();
	orv::CGameEventReceiver* receiver = engine.getPlayReceiver();
	ASSERT_NE(receiver, nullptr);
	engine.setGameRunning(true);
	for (const Case& c : cases)
	{
		engine.getEventQueue().clear();
		engine.setKeyState(irr::KEY_KEY_A, false);
		for (const irr::SEvent& event : c.events)
			EXPECT_FALSE(receiver->OnEvent(event)) << c.name << ": the GUI must see every event";

		std::vector<Queued> queued;
		for (const orv::SScriptEvent& event : engine.getEventQueue())
		{
			const irr::u8* data = event.arguments.getData();
			queued.emplace_back(event.callbackId, std::vector<irr::u8>(data, data + event.arguments.getSize()));
		}
		EXPECT_EQ(queued, c.expectedQueue) << c.name;
		EXPECT_EQ(engine.isKeyDown(irr::KEY_KEY_A), c.expectedKeyADown) << c.name;
		EXPECT_FALSE(engine.isKeyDown(irr::KEY_NONE)) << c.name;
	}
}

TEST_F(GameEventReceiverTest, NothingIsQueuedWhileNoGameRuns)
{
	// After a lost connection the receiver stays installed with the game stopped.
	orv::CGameEngine& engine = this->engine();
	orv::CGameEventReceiver* receiver = engine.getPlayReceiver();
	engine.setGameRunning(false);
	for (int i = 0; i < 5000; ++i)
	{
		receiver->OnEvent(mouse(irr::EMIE_MOUSE_MOVED, i, i));
		receiver->OnEvent(mouse(irr::EMIE_LMOUSE_PRESSED_DOWN, i, i));
		receiver->OnEvent(key(irr::KEY_KEY_A, true));
	}
	EXPECT_TRUE(engine.getEventQueue().empty());
	EXPECT_TRUE(engine.isKeyDown(irr::KEY_KEY_A)) << "key states are still kept";
	receiver->OnEvent(key(irr::KEY_KEY_A, false));
	EXPECT_FALSE(engine.isKeyDown(irr::KEY_KEY_A));

	engine.setGameRunning(true);
	receiver->OnEvent(key(irr::KEY_KEY_A, true));
	EXPECT_EQ(engine.getEventQueue().size(), 1u);
}

TEST_F(GameEventReceiverTest, NoKeyIsHeldIntoTheNextGame)
{
	struct Case
	{
		const char* name;
		// Let go while the login screen shows, so the game never hears it.
		bool releasedOnTheLoginScreen;
	} cases[] = {{"released on the login screen", true}, {"still held", false}};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		sandbox.reset();
		sandbox.reset(new orv::test::CEngineSandbox({{"package/Keys/package.xml",
														 "<orvpackage version=\"1\"><package name=\"Keys\" version=\"1\">"
														 "<clientscript file=\"client.as\"/></package></orvpackage>"},
			{"package/Keys/client.as",
				"bool right = true;\nvoid Update(SceneObject@+ self, uint t) { right = Engine.keydown(KEY_RIGHT); }"}}));
		ASSERT_TRUE(sandbox->started());
		orv::CGameEngine& engine = this->engine();
		irr::IrrlichtDevice* device = engine.getDevice();

		// An online game: the server switches to 2D, the player holds Right.
		const irr::u8 bytes[] = {0, 5, '2', 'D'};
		orv::net::packet mode = orv::net::packet::fromBytes(bytes, bytes + sizeof(bytes));
		engine.getParsers().dispatch(mode);
		ASSERT_TRUE(engine.isGameRunning());
		device->postEventFromUser(key(irr::KEY_RIGHT, true));
		ASSERT_TRUE(engine.isKeyDown(irr::KEY_RIGHT));

		// No server answers: the connection is lost and the login screen is back.
		ASSERT_TRUE(engine.update());
		ASSERT_FALSE(engine.isGameRunning());
		ASSERT_EQ(device->getEventReceiver(), engine.getLoginReceiver());
		if (c.releasedOnTheLoginScreen)
			device->postEventFromUser(key(irr::KEY_RIGHT, false));

		// The player reads the message, then starts the next game, offline.
		irr::gui::IGUIElement* message = device->getGUIEnvironment()->getRootGUIElement()->getElementFromId(
			orv::ELSI_CONNECTION_ERROR, true);
		ASSERT_NE(message, nullptr);
		for (irr::gui::IGUIElement* child : message->getChildren())
			if (child->getType() == irr::gui::EGUIET_BUTTON && irr::core::stringw(child->getText()) == L"OK")
				orv::test::clickOn(device, child);
		ASSERT_EQ(device->getGUIEnvironment()->getRootGUIElement()->getElementFromId(orv::ELSI_CONNECTION_ERROR, true),
			nullptr);
		const orv::SLoginScreen& screen = engine.getLoginReceiver()->getScreen();
		orv::test::selectIn(device, screen.PackageList, 0);
		orv::test::clickOn(device, screen.PlayButton);
		ASSERT_TRUE(engine.isGameRunning());
		ASSERT_TRUE(engine.update());
		EXPECT_FALSE(engine.isKeyDown(irr::KEY_RIGHT));
		AngelScript::asIScriptModule* client = engine.getClientModule()->getEngineModule();
		ASSERT_NE(client, nullptr);
		EXPECT_FALSE(*static_cast<bool*>(client->GetAddressOfGlobalVar(client->GetGlobalVarIndexByName("right"))));
	}
}
