// The packet dispatcher, the login-phase switch and server errors.

#include "NetTestSupport.h"

#include "net/CNetParse_2D.h"
#include "net/CNetParse_Login.h"

#include <IGUIElement.h>
#include <IGUIEnvironment.h>
#include <irrlicht.h>

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::rxtest;

namespace {

net::packet packetOf(const Bytes& bytes)
{
	return net::packet::fromBytes(bytes.data(), bytes.data() + bytes.size());
}

Bytes withId(irr::u16 id, const std::string& rest)
{
	return concat({{static_cast<irr::u8>(id >> 8), static_cast<irr::u8>(id)}, bytesOf(rest)});
}

//! A null device whose logger keeps its lines, so GUI and log effects can be looked at.
class NetParseTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		irr::SIrrlichtCreationParameters params;
		params.DriverType = irr::video::EDT_NULL;
		params.LoggingLevel = irr::ELL_NONE;
		Device = irr::createDeviceEx(params);
		ASSERT_NE(Device, nullptr);
		Device->getLogger()->setLogLevel(irr::ELL_INFORMATION);
		Device->setEventReceiver(&Log);
		Host.Device = Device;
	}
	void TearDown() override
	{
		if (Device)
			Device->drop();
	}

	//! The message boxes on the GUI root: (caption, message).
	std::vector<std::pair<std::string, std::string>> messageBoxes()
	{
		std::vector<std::pair<std::string, std::string>> boxes;
		for (irr::gui::IGUIElement* child : Device->getGUIEnvironment()->getRootGUIElement()->getChildren())
		{
			if (child->getType() != irr::gui::EGUIET_MESSAGE_BOX)
				continue;
			std::string message;
			for (irr::gui::IGUIElement* inner : child->getChildren())
				if (inner->getType() == irr::gui::EGUIET_STATIC_TEXT)
					message = irr::core::stringc(inner->getText()).c_str();
			boxes.emplace_back(irr::core::stringc(child->getText()).c_str(), message);
		}
		return boxes;
	}

	//! The device's log lines as its logger composes them ("channel: message").
	struct CLogReceiver : irr::IEventReceiver
	{
		std::vector<std::string> Lines;
		bool OnEvent(const irr::SEvent& event) override
		{
			if (event.EventType != irr::EET_LOG_TEXT_EVENT)
				return false;
			Lines.push_back(event.LogEvent.Text);
			return true;
		}
	};

	CLogReceiver Log;
	irr::IrrlichtDevice* Device = nullptr;
	CTestNetHost Host;
};

//! Which handler an id reaches, seen through what it leaves behind.
struct RoutingCase
{
	const char* name;
	Bytes packet;
	bool result;
	irr::u32 readPosition;
};

const RoutingCase RoutingCases[] = {
	{"empty packet is id 0", {}, true, 0},
	{"one byte is id 0, nothing consumed", {0x00}, true, 0},
	{"id 0 ignored", {0x00, 0x00, 0x01}, true, 2},
	{"id 18 has a handler", {0x00, 0x12}, true, 2},
	{"id 19 refused after its id", {0x00, 0x13, 0x01}, false, 2},
	{"id 65535 refused", {0xFF, 0xFF}, false, 2},
};

TEST_F(NetParseTest, RoutesIdsToHandlers)
{
	for (const RoutingCase& c : RoutingCases)
	{
		CNetParse_2D parser(Host);
		net::packet p = packetOf(c.packet);
		EXPECT_EQ(parser.parse(p), c.result) << c.name;
		EXPECT_EQ(p.getReadPosition(), c.readPosition) << c.name;
	}
}

TEST_F(NetParseTest, NamesOfTheParsers)
{
	EXPECT_EQ(CNetParse(Host).getName().toUTF8_std(), "Default");
	EXPECT_EQ(CNetParse_Login(Host).getName().toUTF8_std(), "Login");
	EXPECT_EQ(CNetParse_2D(Host).getName().toUTF8_std(), "2D");
}

struct SwitchCase
{
	const char* name;
	Bytes packet;
	bool switches;
};

const SwitchCase SwitchCases[] = {
	{"2D switches", withId(5, "2D"), true},
	{"2D ends at a NUL", concat({withId(5, "2D"), {0x00, 'x', 'y'}}), true},
	{"the current name does nothing", withId(5, "Login"), false},
	{"lower case does nothing", withId(5, "2d"), false},
	{"trailing space does nothing", withId(5, "2D "), false},
	{"empty rest does nothing", withId(5, ""), false},
};

TEST_F(NetParseTest, LoginParserSwitchesOnlyOn2D)
{
	for (const SwitchCase& c : SwitchCases)
	{
		CTestNetHost host;
		host.Device = Device;
		Device->getGUIEnvironment()->addButton(irr::core::recti(0, 0, 10, 10));
		host.Parsers.replace(new CNetParse_Login(host));
		CNetParse* login = host.Parsers.get();

		net::packet p = packetOf(c.packet);
		EXPECT_TRUE(host.Parsers.dispatch(p)) << c.name;
		const bool guiCleared = Device->getGUIEnvironment()->getRootGUIElement()->getChildren().empty();
		EXPECT_EQ(guiCleared, c.switches) << c.name;
		EXPECT_EQ(host.Parsers.get()->getName().toUTF8_std(), c.switches ? "2D" : "Login") << c.name;
		if (c.switches)
		{
			EXPECT_NE(host.Parsers.get(), login);
			EXPECT_EQ(host.Calls, (std::vector<std::string>{"receiver", "online", "parser", "running"})) << c.name;
			EXPECT_TRUE(host.Online && host.Running);
		}
		else
			EXPECT_TRUE(host.Calls.empty()) << c.name;
		Device->getGUIEnvironment()->clear();
	}
}

TEST_F(NetParseTest, SwitchIsLoggedOnceOnNet)
{
	Host.Parsers.replace(new CNetParse_Login(Host));
	net::packet p = packetOf(withId(5, "2D"));
	Host.Parsers.dispatch(p);
	net::packet again = packetOf(withId(5, "2D"));
	Host.Parsers.dispatch(again);
	EXPECT_EQ(Log.Lines, (std::vector<std::string>{"net: Switching parser to 2D mode."}));
	EXPECT_EQ(Host.Calls.size(), 4u) << "a game-phase parser ignores a second switch";
}

TEST_F(NetParseTest, LaterFramesMeetTheNewParser)
{
	Host.Parsers.replace(new CNetParse_Login(Host));
	net::packet first = packetOf(withId(5, "2D"));
	Host.Parsers.dispatch(first);
	net::packet error = packetOf(withId(1, "kept"));
	Host.Parsers.dispatch(error);
	EXPECT_EQ(std::count(Host.Calls.begin(), Host.Calls.end(), "close"), 0);
}

struct ErrorCase
{
	const char* name;
	bool loginPhase;
	Bytes packet;
	const char* message;
};

const ErrorCase ErrorCases[] = {
	{"login phase closes the connection", true, withId(1, "Bad password"), "Bad password"},
	{"game phase keeps the connection", false, withId(1, "Server full"), "Server full"},
	{"text ends at a NUL", false, concat({withId(1, "cut"), {0x00, 'x'}}), "cut"},
	{"empty text", true, withId(1, ""), ""},
};

TEST_F(NetParseTest, ServerErrorShowsABox)
{
	for (const ErrorCase& c : ErrorCases)
	{
		CTestNetHost host;
		host.Device = Device;
		if (c.loginPhase)
			host.Parsers.replace(new CNetParse_Login(host));
		else
			host.Parsers.replace(new CNetParse_2D(host));
		net::packet p = packetOf(c.packet);
		EXPECT_TRUE(host.Parsers.dispatch(p));
		EXPECT_EQ(host.Calls, c.loginPhase ? std::vector<std::string>{"close"} : std::vector<std::string>{}) << c.name;
		const auto boxes = messageBoxes();
		ASSERT_EQ(boxes.size(), 1u) << c.name;
		EXPECT_EQ(boxes[0].first, "Error") << c.name;
		EXPECT_EQ(boxes[0].second, c.message) << c.name;
		Device->getGUIEnvironment()->clear();
	}
}

} // namespace
