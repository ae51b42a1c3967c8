// Online play against the independent test server on loopback: the server defines classes,
// attributes, scripts, objects and their shapes, names the player and starts the game; the engine
// runs its frames on the null device and sends back what its objects changed.

#include "world/CObjectClass.h"
#include "net/CNetParse.h"
#include "net/CSocket.h"
#include "net/LoginPacket.h"
#include "script/CScriptModule.h"
#include "support/CTestServer.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/EngineAttributes.h"

#include <angelscript.h>
#include <box2d/box2d.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

using orv::test::CTestServer;

namespace {

int loginKey()
{
	return 0x2B;
}

//! A text for a data field of the test server: everything but letters and digits %XX-escaped.
std::string escaped(const std::string& text)
{
	std::string out;
	for (unsigned char c : text)
	{
		if (std::isalnum(c))
			out += static_cast<char>(c);
		else
		{
			char hex[4];
			std::snprintf(hex, sizeof hex, "%%%02X", c);
			out += hex;
		}
	}
	return out;
}

std::string code(const std::string& script)
{
	return "text:" + escaped(script);
}

class OnlinePlay : public orv::test::EngineTest
{
protected:
	void SetUp() override
	{
		EngineTest::SetUp();
		ASSERT_TRUE(server.start());
		sandbox->folder().write("images/downloads/.keep", "");
		sandbox->folder().write("ani/.keep", "");
	}
	void TearDown() override
	{
		orv::net::setLoginKeySource(nullptr);
		server.stop();
		EngineTest::TearDown();
	}

	void connect()
	{
		orv::net::CSocket* socket = engine().getSocket();
		ASSERT_EQ(socket->init("127.0.0.1", server.getPortText().c_str()), 0);
		ASSERT_EQ(socket->connect(), 0);
		server.ok("accept 1 5");
	}

	void connectAndLogin()
	{
		connect();
		orv::net::setLoginKeySource(loginKey);
		engine().sendLogin(L"user", L"pw");
		server.ok("login 5");
	}

	bool pumpUntil(const std::function<bool()>& done, int timeoutMs = orv::test::kGenerousTimeoutMs)
	{
		return orv::test::pumpUntil(engine(), done, timeoutMs);
	}

	//! One frame about 20 ms after the last, so the world steps at least once.
	void frame()
	{
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
		engine().update();
	}

	void startGame()
	{
		server.ok("block u16:5+text:2D");
		ASSERT_TRUE(pumpUntil([&] { return engine().isGameRunning(); }));
	}

	//! Flushes, as network steps would, until the socket took every byte; no frame runs meanwhile.
	bool flushAll()
	{
		for (int i = 0; i < 5000 && engine().getSendQueue().hasPending(); ++i)
		{
			engine().getSendQueue().flush();
			std::this_thread::sleep_for(std::chrono::milliseconds(1));
		}
		return !engine().getSendQueue().hasPending();
	}

	//! The attribute-change packets the server has taken so far, as it reads them. A marker
	//! frame goes out behind them: once the server has read it, it has read all before it.
	std::vector<std::string> changesSent()
	{
		const std::string marker = "5:4294967295:-";
		engine().sendPacket(orv::net::packet::fromU16(5).append(orv::net::packet::fromU32(0xFFFFFFFF)));
		EXPECT_TRUE(flushAll());
		std::vector<std::string> all;
		const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
		while (std::find(all.begin(), all.end(), marker) == all.end())
		{
			if (std::chrono::steady_clock::now() > deadline)
			{
				ADD_FAILURE() << "the marker never came";
				return all;
			}
			const std::string reply = server.command("recvattrs 1 1");
			const std::vector<std::string> words = CTestServer::words(reply);
			if (words.size() >= 2 && words[0] == "ok")
				all.insert(all.end(), words.begin() + 2, words.end());
			else if (reply.rfind("error timeout", 0) != 0)
			{
				ADD_FAILURE() << "the server could not read what came: " << reply;
				return all;
			}
		}
		all.erase(std::find(all.begin(), all.end(), marker), all.end());
		return all;
	}

	static orv::CObjectManager& objects() { return *orv::CObjectManager::getInstance(); }
	static orv::CSceneObject* object(irr::u32 id) { return objects().getSceneObject(id); }

	static int global(orv::script::CScriptModule* module, const char* name)
	{
		if (!module || !module->getEngineModule())
			return -1;
		AngelScript::asIScriptModule* m = module->getEngineModule();
		const int index = m->GetGlobalVarIndexByName(name);
		return index < 0 ? -1 : *static_cast<int*>(m->GetAddressOfGlobalVar(index));
	}

	static int fixtureCount(orv::CSceneObject* o)
	{
		int count = 0;
		for (const b2Fixture* f = o->Physics.getLiveBody()->GetFixtureList(); f; f = f->GetNext())
			++count;
		return count;
	}

	CTestServer server;
};

TEST_F(OnlinePlay, ServerBuildsTheWorldAndHearsWhatMoved)
{
	connectAndLogin();
	const std::string client = "int frames = 0; void Update(SceneObject@+ self, uint t) { frames++; }";
	const std::string ball = "int updates = 0; void Update(SceneObject@+ self, uint t) { updates++; }";
	const std::string own = "void Created(SceneObject@+ self) { self.Position = vector3df(160, 320, 0); }";
	server.ok("block kind=zlib u16:10+u16:1+text:round u16:11+u16:1+u8:2+int:7 "
			  "u16:7+text:ball u16:8+u8:4+text:ball+u16:3+text:hp u16:9+u8:4+text:ball+" +
		code(ball) + " u16:6+" + code(client) +
		" u16:2+u16:1+u8:0+text:ball.png u16:3+u16:1+text:PNG u16:4+u16:1"
		" u16:2+u16:2+u8:1+text:ball.gani u16:3+u16:2+text:GANI0001 u16:4+u16:2"
		" u16:12+u32:5+u8:0+text:ball u16:15+u32:5+u8:14+u8:5+str:ball.png u16:14+u32:5+u16:3+u8:3+f32:2.5"
		" u16:16+u32:5+" +
		code(own) +
		" u16:17+u32:5"
		" u16:18+u32:5+u8:0+f32:1 u16:18+u32:5+u8:1+f32:1+f32:2"
		" u16:18+u32:5+u8:2+f32:0+f32:0+f32:2+f32:0+f32:0+f32:2");
	ASSERT_TRUE(pumpUntil([&] { return object(5) && fixtureCount(object(5)) == 3; }));
	EXPECT_FALSE(engine().isGameRunning());

	orv::CSceneObject* five = object(5);
	// What no packet marks: a class attribute the client changed itself.
	five->getChangedClassAttributes().insert(3);
	startGame();
	pumpUntil([] { return false; }, 200);

	EXPECT_EQ(engine().getServerAttributes().findByName("round")->getUInt(), 7u);
	orv::CObjectClass* ballClass = objects().findObjectClass("ball");
	ASSERT_NE(ballClass, nullptr);
	EXPECT_EQ(ballClass->getAttributes().findByName("hp")->id, 3);
	EXPECT_EQ(five->getObjectClass(), ballClass);
	EXPECT_EQ(five->getClassAttributes().findById(3)->getFloat(), 2.5f);
	EXPECT_EQ(five->getEngineAttribute(orv::EP_IMAGE)->getString(), irr::core::ustring16("ball.png"));
	EXPECT_GT(global(engine().getClientModule(), "frames"), 0);
	EXPECT_EQ(global(ballClass->getModule(), "updates"), 2 * global(engine().getClientModule(), "frames"));
	EXPECT_EQ(sandbox->folder().read("images/downloads/ball.png"), "PNG");
	EXPECT_EQ(sandbox->folder().read("ani/ball.gani"), "GANI0001");
	EXPECT_EQ(fixtureCount(five), 3);
	EXPECT_EQ(engine().getPlayerObject(), five);
	EXPECT_TRUE(engine().isOnline());
	EXPECT_TRUE(engine().isGameRunning());
	EXPECT_EQ(five->Physics.getLiveBody()->GetPosition(), b2Vec2(10.0f, 20.0f));

	EXPECT_EQ(changesSent(), (std::vector<std::string>{"5:5:2=3/160.0,3=3/320.0", "4:5:3=3/2.5"}));
	EXPECT_TRUE(five->getChangedEngineAttributes().empty());
	EXPECT_TRUE(five->getChangedClassAttributes().empty());
}

TEST_F(OnlinePlay, FallingObjectIsSentEveryFrameItMoves)
{
	connectAndLogin();
	// The server's own shapes have no density, and a body without mass does not fall: the
	// scripts give theirs one.
	const std::string falls =
		"void Created(SceneObject@+ self) { self.Physics.add_collision_circle(1, vector2df(0, 0));"
		" self.Physics.set_Type(EBT_DYNAMIC); Physics.set_Gravity(vector2df(0, 10)); }";
	const std::string loose =
		"void Created(SceneObject@+ self) { self.Physics.add_collision_circle(1, vector2df(0, 0));"
		" self.Physics.set_Type(EBT_DYNAMIC); self.Physics.Owner = false; }";
	server.ok("block u16:12+u32:6+u8:0+text: u16:18+u32:6+u8:0+f32:1 u16:16+u32:6+" + code(falls) +
		" u16:12+u32:7+u8:0+text: u16:16+u32:7+" + code(loose));
	ASSERT_TRUE(pumpUntil([&] { return object(7) && fixtureCount(object(7)) == 1; }));
	EXPECT_EQ(fixtureCount(object(6)), 2);
	startGame();
	// What the frames so far queued goes out now and is put aside: the count starts here.
	engine().getSendQueue().flush();
	changesSent();
	ASSERT_EQ(object(6)->Physics.getType(), orv::EBT_DYNAMIC);
	ASSERT_EQ(orv::CPhysicsManager::getInstance()->getGravity(), irr::core::vector2df(0.0f, 10.0f));

	int moves = 0;
	float lastY = object(6)->getEngineAttribute(orv::EP_Y)->getFloat();
	for (int i = 0; i < 10; ++i)
	{
		frame();
		const float y = object(6)->getEngineAttribute(orv::EP_Y)->getFloat();
		if (y != lastY)
			++moves;
		lastY = y;
	}
	EXPECT_GE(moves, 8);
	// The last frame's packets wait for the next frame's flush; they go now.
	engine().getSendQueue().flush();
	const std::vector<std::string> sent = changesSent();
	int withY = 0;
	for (const std::string& packet : sent)
	{
		EXPECT_EQ(packet.rfind("5:6:", 0), 0u) << packet << ": only the owned object is sent";
		if (packet.find(",3=3/") != std::string::npos || packet.find(":3=3/") != std::string::npos)
			++withY;
	}
	EXPECT_EQ(withY, moves);
	EXPECT_GT(object(7)->Physics.getLiveBody()->GetPosition().y, 0.0f) << "the loose body falls too";
	EXPECT_EQ(object(7)->getEngineAttribute(orv::EP_Y)->getFloat(), 0.0f);
}

TEST_F(OnlinePlay, EveryAttributePacketOfABurstOfTenThousandMovingObjectsReachesTheServer)
{
	const irr::u32 count = 10000;
	const int frames = 3;
	connectAndLogin();
	// Made by the server in blocks of a thousand objects.
	for (irr::u32 first = 1; first <= count; first += 1000)
	{
		std::string block = "block";
		for (irr::u32 id = first; id < first + 1000; ++id)
			block += " u16:12+u32:" + std::to_string(id) + "+u8:0+text:";
		server.ok(block);
	}
	ASSERT_TRUE(pumpUntil([&] { return objects().getSceneObjects().size() == count; }, 30000));
	// The server's shapes carry no mass; these fall, side by side.
	orv::CPhysicsManager::getInstance()->setGravity(irr::core::vector2df(0.0f, 10.0f));
	for (irr::u32 id = 1; id <= count; ++id)
	{
		object(id)->Physics.addCollisionCircle(0.4f, irr::core::vector2df(0.0f, 0.0f));
		object(id)->Physics.setType(orv::EBT_DYNAMIC);
		object(id)->setPosition(
			irr::core::vector3df(static_cast<float>(id % 100) * 32.0f, static_cast<float>(id / 100) * 32.0f, 0.0f));
	}
	startGame();
	// What the frames so far sent is put aside: the server reads up to a marker behind it.
	engine().sendPacket(orv::net::packet::fromU16(5).append(orv::net::packet::fromU32(0xFFFFFFFF)));
	ASSERT_TRUE(flushAll());
	std::string aside;
	for (int i = 0; i < 600 && aside.find("0005ffffffff") == std::string::npos; ++i)
	{
		aside += server.command("recv 1 0.1");
	}
	ASSERT_NE(aside.find("0005ffffffff"), std::string::npos) << "the marker never came";

	for (int i = 0; i < frames; ++i)
	{
		frame();
		// The frame's network step sent all that waited: only its own packets wait now.
		EXPECT_LE(engine().getSendQueue().getFrames().size(), count) << "frame " << i;
	}
	// The last frame's packets leave with the next network step; then nothing may stay behind.
	ASSERT_TRUE(flushAll());
	EXPECT_TRUE(engine().getSendQueue().getFrames().empty());

	const std::string reply = server.command("recvattrs " + std::to_string(count * frames) + " 60", 90000);
	const std::vector<std::string> words = CTestServer::words(reply);
	ASSERT_GE(words.size(), 2u) << reply.substr(0, 200);
	ASSERT_EQ(words[0], "ok") << reply.substr(0, 200);
	ASSERT_EQ(std::stoul(words[1]), count * frames) << "every object is sent once a frame";
	std::vector<int> sentPerObject(count + 1, 0);
	for (size_t w = 2; w < words.size(); ++w)
	{
		const std::string& packet = words[w];
		ASSERT_EQ(packet.rfind("5:", 0), 0u) << packet;
		const irr::u32 id = static_cast<irr::u32>(std::stoul(packet.substr(2)));
		ASSERT_TRUE(id >= 1 && id <= count) << packet;
		++sentPerObject[id];
		EXPECT_NE(packet.find("3=3/"), std::string::npos) << packet << ": the fall moves y";
	}
	EXPECT_EQ(std::count(sentPerObject.begin() + 1, sentPerObject.end(), frames), static_cast<long>(count));
	EXPECT_EQ(server.command("recv 1 0"), "error timeout 0") << "nothing more came";
	EXPECT_NE(server.ok("errors").find("0"), std::string::npos);
}

TEST_F(OnlinePlay, HostilePacketsLeaveTheClientRunningAndConnected)
{
	connectAndLogin();
	server.ok("block u16:10+u16:1+text:round u16:12+u32:5+u8:0+text: u16:17+u32:5");
	startGame();

	server.ok("block u16:13+u32:5 u16:12+u32:6+u8:0+text: u16:12+u32:6+u8:1+text: u16:11+u16:1+u8:9+u16:1+u8:2+int:3"
			  " u16:18+u32:6+u8:2+f32:1+f32:1"
			  " u16:18+u32:6+u8:2" +
		std::string("+f32:0+f32:0+f32:1+f32:0+f32:2+f32:1+f32:3+f32:3+f32:2+f32:4"
					"+f32:1+f32:4+f32:0+f32:3+f32:-1+f32:2+f32:-1+f32:1") +
		" u16:18+u32:6+u8:2+f32:0+f32:0+f32:1+f32:1+f32:2+f32:2"
		" u16:18+u32:6+u8:2+f32:0+f32:0+f32:nan+f32:0+f32:0+f32:1");
	ASSERT_TRUE(pumpUntil([&] { return object(6) && object(5) == nullptr; }));
	for (int i = 0; i < 5; ++i)
		frame();
	EXPECT_EQ(engine().getPlayerObject(), nullptr);
	EXPECT_EQ(object(6)->getType(), orv::ESOT_DEFAULT) << "the second add made nothing";
	EXPECT_EQ(fixtureCount(object(6)), 3) << "one point and collinear points give boxes, nine points a hull";
	EXPECT_EQ(engine().getServerAttributes().findById(1)->getUInt(), 0u);

	// A frame that announces nearly 4 GiB is dropped; the stream goes on with the next block.
	server.ok("frames 04FFFFFFF0+0000");
	server.ok("block u16:12+u32:8+u8:0+text:");
	ASSERT_TRUE(pumpUntil([&] { return object(8) != nullptr; }));
	for (int i = 0; i < 5; ++i)
		frame();
	EXPECT_TRUE(engine().isGameRunning());
	EXPECT_NE(engine().getSocket()->getState(), orv::net::ESS_DISCONNECTED);
	EXPECT_NE(server.ok("status").find("connected=1"), std::string::npos);
}

TEST_F(OnlinePlay, OfflineChangesAreForgottenAndNothingIsSent)
{
	connect();
	ASSERT_FALSE(engine().isOnline());
	orv::CSceneObject* ball = engine().createSceneObject(5, orv::ESOT_DEFAULT, "");
	ASSERT_NE(ball, nullptr);
	ball->Physics.setType(orv::EBT_DYNAMIC);
	ball->Physics.addCollisionCircle(1.0f, {0.0f, 0.0f});
	ball->getChangedClassAttributes().insert(1);
	engine().setGameRunning(true);
	for (int i = 0; i < 5; ++i)
	{
		ball->Physics.applyImpulse({1.0f, 0.0f}, {0.0f, 0.0f});
		frame();
		EXPECT_TRUE(ball->getChangedEngineAttributes().empty());
		EXPECT_TRUE(ball->getChangedClassAttributes().empty());
	}
	EXPECT_GT(ball->getEngineAttribute(orv::EP_X)->getFloat(), 0.0f);
	std::this_thread::sleep_for(std::chrono::milliseconds(200));
	EXPECT_EQ(server.command("recv 1 0"), "error timeout 0");
	EXPECT_NE(server.ok("status").find("blocks=0"), std::string::npos);
}

} // namespace
