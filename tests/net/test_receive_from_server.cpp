// The engine against the independent test server on loopback: login, the switch to the game phase,
// server errors, downloads and lost connections, all through the engine's own frame update.

#include "net/CNetParse.h"
#include "net/CSocket.h"
#include "net/LoginPacket.h"
#include "support/CTestServer.h"
#include "support/engine_fixture.h"

#include <IGUIElement.h>
#include <IGUIEnvironment.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

using orv::test::CTestServer;
namespace fs = std::filesystem;

namespace {

int loginKeyC3()
{
	return 0x1C3;
}
int loginKey5A()
{
	return 0x5A;
}

struct SBox
{
	std::string caption;
	std::string text;
	bool operator==(const SBox& other) const { return caption == other.caption && text == other.text; }
};

std::ostream& operator<<(std::ostream& out, const SBox& box)
{
	return out << box.caption << ": " << box.text;
}

class ReceiveFromServer : public orv::test::EngineTest
{
protected:
	void SetUp() override
	{
		EngineTest::SetUp();
		ASSERT_TRUE(server.start());
		fs::create_directories(root() + "images/downloads");
		fs::create_directories(root() + "ani");
	}
	void TearDown() override
	{
		orv::net::setLoginKeySource(nullptr);
		server.stop();
		EngineTest::TearDown();
	}

	std::string root() { return sandbox->folder().path(); }

	//! Connects the engine's socket, logs in with the key byte the source gives and returns the
	//! server's view of the login ("KEY USER_HEX PASSWORD_HEX").
	std::string connectAndLogin(int (*key)(), int connections = 1)
	{
		orv::net::CSocket* socket = engine().getSocket();
		EXPECT_EQ(socket->init("127.0.0.1", server.getPortText().c_str()), 0);
		EXPECT_EQ(socket->connect(), 0);
		server.ok("accept " + std::to_string(connections) + " 5");
		orv::net::setLoginKeySource(key);
		engine().sendLogin(L"user", L"pw");
		return server.ok("login 5");
	}

	bool pumpUntil(const std::function<bool()>& done, int timeoutMs = orv::test::kGenerousTimeoutMs)
	{
		return orv::test::pumpUntil(engine(), done, timeoutMs);
	}

	void pumpFrames(int frames)
	{
		for (int i = 0; i < frames; ++i)
		{
			engine().update();
			std::this_thread::sleep_for(std::chrono::milliseconds(5));
		}
	}

	//! Message boxes anywhere in the GUI: a modal one sits inside its modal screen.
	std::vector<SBox> boxes()
	{
		std::vector<SBox> found;
		collectBoxes(engine().getDevice()->getGUIEnvironment()->getRootGUIElement(), found);
		return found;
	}

	static void collectBoxes(irr::gui::IGUIElement* element, std::vector<SBox>& found)
	{
		for (irr::gui::IGUIElement* child : element->getChildren())
		{
			if (child->getType() != irr::gui::EGUIET_MESSAGE_BOX)
			{
				collectBoxes(child, found);
				continue;
			}
			SBox box{irr::core::stringc(child->getText()).c_str(), ""};
			for (irr::gui::IGUIElement* inner : child->getChildren())
				if (inner->getType() == irr::gui::EGUIET_STATIC_TEXT)
					box.text = irr::core::stringc(inner->getText()).c_str();
			found.push_back(box);
		}
	}

	std::string parserName() { return engine().getParsers().get()->getName().toUTF8_std(); }
	bool connected() { return engine().getSocket()->getState() != orv::net::ESS_DISCONNECTED; }

	//! Every file below the sandbox, relative to it.
	std::set<std::string> allFiles()
	{
		std::set<std::string> files;
		for (const auto& entry : fs::recursive_directory_iterator(root()))
			if (!entry.is_directory())
				files.insert(fs::relative(entry.path(), root()).generic_string());
		return files;
	}

	void enterGamePhase()
	{
		server.ok("block u16:5+text:2D");
		ASSERT_TRUE(pumpUntil([&] { return engine().isGameRunning(); }));
	}

	CTestServer server;
};

TEST_F(ReceiveFromServer, LoginBlockIsExactForAKnownKey)
{
	EXPECT_EQ(connectAndLogin(loginKeyC3), "195 75736572 7077");
	const std::vector<std::string> block = CTestServer::words(server.ok("recvblock 5"));
	ASSERT_EQ(block.size(), 2u);
	EXPECT_EQ(block[0], "0");
	EXPECT_EQ(block[1], server.ok("encode key=0 u16:1+u8:0+u8:0xC3+text:CL00000000+u8:4+text:user+u8:2+text:pw"));
	EXPECT_TRUE(engine().isOnline());
	EXPECT_EQ(parserName(), "Login");
}

TEST_F(ReceiveFromServer, SwitchServesTheRestOfTheBlockInTheGamePhase)
{
	connectAndLogin(loginKeyC3);
	engine().getDevice()->getGUIEnvironment()->addButton(irr::core::recti(0, 0, 10, 10));
	// The error behind the switch meets the game-phase parser, which keeps the connection.
	server.ok("block kind=zlib u16:5+text:2D u16:1+text:after%20the%20switch");
	ASSERT_TRUE(pumpUntil([&] { return !boxes().empty(); }));
	EXPECT_TRUE(engine().isGameRunning());
	EXPECT_TRUE(engine().isOnline());
	EXPECT_EQ(parserName(), "2D");
	EXPECT_TRUE(connected());
	EXPECT_EQ(boxes(), (std::vector<SBox>{{"Error", "after the switch"}}));
	EXPECT_EQ(engine().getDevice()->getGUIEnvironment()->getRootGUIElement()->getChildren().size(), 1u)
		<< "the switch cleared the screen before the error came";
	EXPECT_EQ(engine().getDevice()->getEventReceiver(), (irr::IEventReceiver*)engine().getPlayReceiver());
}

TEST_F(ReceiveFromServer, LoginPhaseErrorClosesTheConnection)
{
	connectAndLogin(loginKeyC3);
	server.ok("block u16:1+text:Wrong%20password");
	ASSERT_TRUE(pumpUntil([&] { return !connected(); }));
	pumpFrames(5);
	EXPECT_EQ(boxes(), (std::vector<SBox>{{"Error", "Wrong password"}})) << "no lost-connection box outside a game";
	EXPECT_EQ(server.ok("closed 5"), "");
	EXPECT_EQ(parserName(), "Login");
}

TEST_F(ReceiveFromServer, GamePhaseErrorKeepsTheConnection)
{
	connectAndLogin(loginKey5A);
	enterGamePhase();
	server.ok("block kind=bzip2 u16:1+text:Server%20full");
	ASSERT_TRUE(pumpUntil([&] { return !boxes().empty(); }));
	pumpFrames(5);
	EXPECT_TRUE(connected());
	EXPECT_EQ(boxes(), (std::vector<SBox>{{"Error", "Server full"}}));
}

TEST_F(ReceiveFromServer, FilesOfBothKindsAreWrittenByteExact)
{
	connectAndLogin(loginKeyC3);
	std::string image, animation;
	for (int i = 0; i < 30000; ++i)
		image.push_back(static_cast<char>((i * 7919) >> 3));
	for (int i = 0; i < 5000; ++i)
		animation += "GANI0001 frame " + std::to_string(i % 97) + "\n";
	animation.resize(20000);
	sandbox->folder().write("source/image.bin", image);
	sandbox->folder().write("source/animation.bin", animation);

	server.ok("block kind=zlib u16:2+u16:1+u8:0+text:tree.png u16:2+u16:2+u8:1+text:walk.gani "
			  "u16:3+u16:1+file:" +
		root() + "source/image.bin");
	server.ok("block kind=bzip2 u16:3+u16:2+file:" + root() + "source/animation.bin u16:4+u16:1 u16:4+u16:2");
	ASSERT_TRUE(pumpUntil([&] { return sandbox->folder().exists("ani/walk.gani"); }));
	EXPECT_EQ(sandbox->folder().read("images/downloads/tree.png"), image);
	EXPECT_EQ(sandbox->folder().read("ani/walk.gani"), animation);
	EXPECT_EQ(engine().getFileTransfers().getOpenCount(), 0u);
}

TEST_F(ReceiveFromServer, HostileNamesAndKindsWriteNothingOutsideTheDownloadFolders)
{
	connectAndLogin(loginKeyC3);
	const std::set<std::string> before = allFiles();
	const char* names[] = {"..%2Fx", "a%2F..%2F..%2Fx", "%2Fetc%2Fx", "..", "", "a%2F%2Fb", "a%5C..%5Cx"};
	std::string packets;
	int id = 1;
	for (const char* name : names)
	{
		packets += " u16:2+u16:" + std::to_string(id) + "+u8:0+text:" + name;
		packets += " u16:3+u16:" + std::to_string(id) + "+text:evil";
		packets += " u16:4+u16:" + std::to_string(id);
		++id;
	}
	packets += " u16:2+u16:99+u8:5+text:x.png u16:3+u16:99+text:evil u16:4+u16:99";
	server.ok("block kind=zlib" + packets);
	server.ok("block u16:2+u16:7+u8:0+text:ok.png u16:4+u16:7");
	ASSERT_TRUE(pumpUntil([&] { return sandbox->folder().exists("images/downloads/ok.png"); }));
	std::set<std::string> after = allFiles();
	after.erase("images/downloads/ok.png");
	EXPECT_EQ(after, before);
	EXPECT_FALSE(fs::exists("/etc/x"));
}

TEST_F(ReceiveFromServer, ServerCloseDuringAGameShowsTheLossOnce)
{
	connectAndLogin(loginKeyC3);
	enterGamePhase();
	server.ok("close");
	ASSERT_TRUE(pumpUntil([&] { return !engine().isGameRunning(); }));
	pumpFrames(10);
	EXPECT_EQ(boxes(), (std::vector<SBox>{{"Error", "Lost connection to the server."}}));
	EXPECT_EQ(parserName(), "Login");
	EXPECT_TRUE(engine().isOnline());
}

TEST_F(ReceiveFromServer, ASecondLoginStartsClean)
{
	connectAndLogin(loginKeyC3);
	enterGamePhase();
	// Half a block and an open transfer stay behind when the server goes away.
	server.ok("block u16:2+u16:3+u8:0+text:left.png u16:3+u16:3+text:old");
	server.ok("raw 0040020102");
	pumpFrames(10);
	server.ok("close");
	ASSERT_TRUE(pumpUntil([&] { return !engine().isGameRunning(); }));

	EXPECT_EQ(connectAndLogin(loginKey5A, 2), "90 75736572 7077");
	const std::vector<std::string> block = CTestServer::words(server.ok("recvblock 5"));
	ASSERT_EQ(block.size(), 2u);
	EXPECT_EQ(block[1], server.ok("encode key=0 u16:1+u8:0+u8:0x5A+text:CL00000000+u8:4+text:user+u8:2+text:pw"));

	// The new key descrambles the new server's blocks; the old transfer is gone.
	server.ok("block kind=zlib u16:5+text:2D u16:3+u16:3+text:new u16:4+u16:3");
	ASSERT_TRUE(pumpUntil([&] { return engine().isGameRunning(); }));
	pumpFrames(5);
	EXPECT_FALSE(sandbox->folder().exists("images/downloads/left.png"));
	EXPECT_EQ(parserName(), "2D");
	EXPECT_EQ(server.ok("errors"), "0");
}

} // namespace
