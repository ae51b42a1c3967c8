// A hostile server against the real engine on the null device, through the independent test server
// on loopback: each bound refuses what passes it with one line of its kind, no frame takes on more
// of the stream than its budget, and the client stays in step: a probe sent behind a flood still
// reaches its object, whose script answers the server.

#include "base/Log.h"
#include "base/Refusal.h"
#include "net/CFileTransfers.h"
#include "net/CSendQueue.h"
#include "net/CSocket.h"
#include "net/LoginPacket.h"
#include "support/CRecordingLogger.h"
#include "support/CTestServer.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

#include <IGUIElement.h>
#include <IGUIEnvironment.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using orv::test::CTestServer;
namespace fs = std::filesystem;

namespace {

const irr::u32 PROBE = 4000000000u;

// Floods run many frames under the sanitizers on a loaded machine; this only ends a broken run.
const int FLOOD_TIMEOUT_MS = 6 * orv::test::kGenerousTimeoutMs;

int loginKey()
{
	return 0x3D;
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

std::string text(const std::string& script)
{
	return "text:" + escaped(script);
}

//! The probe's code: once built, it moves its object to x, which the client tells the server.
std::string probeCode(int x)
{
	return text("void Created(SceneObject@+ self) { self.Position = vector3df(" + std::to_string(x) + ", 0, 0); }");
}

//! What the server hears when the probe moved to x.
std::string probeAnswer(int x)
{
	return "5:" + std::to_string(PROBE) + ":2=3/" + std::to_string(x) + ".0";
}

std::string repeated(char c, std::size_t count)
{
	return std::string(count, c);
}

class ServerFlood : public orv::test::EngineTest
{
protected:
	void SetUp() override
	{
		// The font and the window the client ships with: they decide how large a box grows.
		std::ifstream font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
		sandbox.reset(new orv::test::CEngineSandbox(
			{{"fonts/DejaVuSans.ttf", std::string(std::istreambuf_iterator<char>(font), {})},
				{"settings.ini",
					"[Font]\ndefault = DejaVuSans.ttf\ndefault_size = 14\n[Window]\nheight = 600\nwidth = 800\n"}}));
		ASSERT_TRUE(sandbox->started());
		ASSERT_NE(engine().getFont(), nullptr);
		ASSERT_TRUE(server.start());
		fs::create_directories(root() + "images/downloads");
		fs::create_directories(root() + "ani");
		orv::setLogger(&Log);
	}
	void TearDown() override
	{
		orv::setLogger(nullptr);
		orv::net::setLoginKeySource(nullptr);
		server.stop();
		EngineTest::TearDown();
	}

	std::string root() { return sandbox->folder().path(); }

	void connectAndLogin(int connections = 1)
	{
		ASSERT_EQ(engine().connect("127.0.0.1", server.getPortText().c_str()), 0);
		server.ok("accept " + std::to_string(connections) + " 5");
		orv::net::setLoginKeySource(loginKey);
		engine().sendLogin(L"user", L"pw");
		server.ok("login 5");
	}

	//! Logged in and playing, with the probe made and answering once.
	void startGameWithProbe()
	{
		connectAndLogin();
		server.ok("block u16:5+text:2D u16:12+u32:" + std::to_string(PROBE) +
			"+u8:0+text: u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(1));
		ASSERT_TRUE(heard(probeAnswer(1)));
	}

	//! Runs frames until the server has heard the packet (as recvattrs shows it), checking each
	//! frame's take of the stream against its budget.
	bool heard(const std::string& answer, int timeoutMs = FLOOD_TIMEOUT_MS)
	{
		int frames = 0;
		bool found = false;
		orv::test::pumpUntil(
			engine(),
			[&] {
				countFrame();
				if (++frames % 8 != 0)
					return false;
				const std::vector<std::string> words = CTestServer::words(server.command("recvattrs 1 0"));
				if (!words.empty() && words[0] == "ok")
					found = found || std::find(words.begin() + 2, words.end(), answer) != words.end();
				return found;
			},
			timeoutMs);
		return found;
	}

	//! Runs frames until the condition holds, counting each frame's take as heard does.
	bool pumpUntil(const std::function<bool()>& done, int timeoutMs = FLOOD_TIMEOUT_MS)
	{
		return orv::test::pumpUntil(
			engine(),
			[&] {
				countFrame();
				return done();
			},
			timeoutMs);
	}

	void countFrame()
	{
		const orv::net::SReceiveWork& work = engine().getLastReceiveWork();
		const orv::net::SReceiveBudget& budget = engine().getReceiveBudget();
		MostPackets = std::max(MostPackets, work.packets);
		MostInflated = std::max(MostInflated, work.inflatedBytes);
		Packets += work.packets;
		Frames += work.packets != 0;
		// One block and one frame go in every frame, whatever they cost; nothing beyond the budget.
		EXPECT_LE(work.packets, budget.packets);
		EXPECT_LE(work.inflatedBytes, budget.inflatedBytes + 0xFFFF);
	}

	//! Warning lines on the channel ("net" unless named) whose message holds the text.
	std::size_t netLines(const std::string& part, const char* channel = "net") const
	{
		return std::count_if(Log.lines.begin(), Log.lines.end(), [&](const orv::test::SLoggedLine& line) {
			return line.text == channel && line.hint.find(part) != std::string::npos;
		});
	}

	//! The error boxes on screen: their texts, in the order they were made.
	std::vector<std::string> errorTexts()
	{
		std::vector<std::string> texts;
		for (irr::gui::IGUIElement* box : errorBoxes())
			for (irr::gui::IGUIElement* inner : box->getChildren())
				if (inner->getType() == irr::gui::EGUIET_STATIC_TEXT)
					texts.push_back(irr::core::ustring16(inner->getText()).toUTF8_std());
		return texts;
	}

	//! The lost connection's boxes, wherever they are (a modal box lies inside its modal screen).
	std::size_t lostConnectionBoxes(irr::gui::IGUIElement* element = nullptr)
	{
		std::size_t found = 0;
		for (irr::gui::IGUIElement* child : (element ? element : gui()->getRootGUIElement())->getChildren())
		{
			if (child->getType() != irr::gui::EGUIET_MESSAGE_BOX)
				found += lostConnectionBoxes(child);
			else
				for (irr::gui::IGUIElement* inner : child->getChildren())
					found += inner->getType() == irr::gui::EGUIET_STATIC_TEXT &&
						irr::core::ustring16(inner->getText()).toUTF8_std() == "Lost connection to the server.";
		}
		return found;
	}

	std::vector<irr::gui::IGUIElement*> errorBoxes()
	{
		std::vector<irr::gui::IGUIElement*> found;
		for (irr::gui::IGUIElement* child : gui()->getRootGUIElement()->getChildren())
			if (child->getType() == irr::gui::EGUIET_MESSAGE_BOX)
				found.push_back(child);
		return found;
	}

	//! Whether the box's OK button lies within the window, where the player can press it.
	::testing::AssertionResult closable(irr::gui::IGUIElement* box)
	{
		const irr::core::recti window = gui()->getRootGUIElement()->getAbsolutePosition();
		for (irr::gui::IGUIElement* inner : box->getChildren())
		{
			const irr::core::recti r = inner->getAbsolutePosition();
			if (inner->getType() == irr::gui::EGUIET_BUTTON && inner->isVisible() &&
				window.isPointInside(r.UpperLeftCorner) && window.isPointInside(r.LowerRightCorner))
				return ::testing::AssertionSuccess();
		}
		const irr::core::recti r = box->getAbsolutePosition();
		return ::testing::AssertionFailure()
			<< "no button inside the window; the box spans (" << r.UpperLeftCorner.X << ", " << r.UpperLeftCorner.Y
			<< ") to (" << r.LowerRightCorner.X << ", " << r.LowerRightCorner.Y << ")";
	}

	irr::gui::IGUIEnvironment* gui() { return engine().getDevice()->getGUIEnvironment(); }
	bool connected() { return engine().isConnected(); }

	CTestServer server;
	orv::test::CRecordingLogger Log;
	irr::u32 MostPackets = 0;
	irr::u32 MostInflated = 0;
	std::size_t Packets = 0;
	std::size_t Frames = 0;
};

struct Flood
{
	const char* name;
	//! Server commands before the flood, each waited for by the frames that follow it.
	std::vector<std::string> setup;
	std::string flood;
	//! The refusal kind the flood passes, and what its one line says.
	const char* kind;
	const char* line;
	//! The line's channel.
	const char* channel = "net";
};

std::string classAttributes(const char* className, int count, int nameBytes)
{
	return "flood " + std::to_string(count) + " u16:8+u8:" + std::to_string(std::strlen(className)) +
		"+text:" + className + "+seq:2:1+text:" + repeated('a', nameBytes - 4) + "+num:1000";
}

std::string positionedObjects(int first, int count)
{
	// Each object's own script puts it 64 pixels beside the one before, so their shapes do not pile up.
	return "flood " + std::to_string(count) + " u16:12+seq:4:" + std::to_string(first) +
		"+u8:0+text: u16:16+seq:4:" + std::to_string(first) + "+" +
		text("void Created(SceneObject@+ self) { self.Position = vector3df(") + "+num:64:64+" + text(", 0, 0); }");
}

std::string shapesOnEach(int first, int count, int rounds)
{
	std::string command = "flood " + std::to_string(rounds);
	for (int id = first; id < first + count; ++id)
		command += " u16:18+u32:" + std::to_string(id) + "+u8:0+f32:0.25";
	return command;
}

const Flood Floods[] = {
	{"objects", {}, "flood 32800 u16:12+seq:4:10+u8:0+text:", "net: objects", "more than 32768 objects."},
	{"classes", {}, "flood 4100 u16:7+text:c+num:1", "net: classes", "more than 4096 classes."},
	{"attributes of a class", {"block u16:7+text:wide"}, classAttributes("wide", 1030, 8), "net: class attributes",
		"more than 1024 attributes in one class."},
	{"class attributes on objects", {"block u16:7+text:heavy", classAttributes("heavy", 1024, 250)},
		"flood 200 u16:12+seq:4:100+u8:0+text:heavy", "net: object attributes",
		"more than 67108864 bytes of class attributes on the server's objects."},
	{"server attributes", {}, "flood 4100 u16:10+seq:2:1+text:s+num:1", "net: server attributes",
		"more than 4096 server attributes."},
	{"a long name", {}, "block u16:7+text:" + repeated('n', 257), "net: names", "more than 256 bytes in a name."},
	{"a long text value", {"block u16:10+u16:1+text:t"}, "stream u16:11+u16:1+u8:5+u8:4+u32:65537+rep:65537:41",
		"net: text values", "more than 65536 bytes in a text value."},
	{"text values held", {"flood 300 u16:10+seq:2:100+text:t+num:100"},
		"flood 300 u16:11+seq:2:100+u8:5+u8:4+u32:65536+rep:65536:41", "net: texts held",
		"more than 33554432 bytes of text values."},
	{"shapes on one object", {"block u16:12+u32:50+u8:0+text:"}, "flood 260 u16:18+u32:50+u8:0+f32:1",
		"net: shapes per object", "more than 256 collision shapes on one object."},
	{"shapes in the world", {positionedObjects(1000, 257)}, shapesOnEach(1000, 257, 256), "net: shapes",
		"more than 65536 collision shapes."},
	{"shapes piled in one place", {"flood 1100 u16:12+seq:4:1000+u8:0+text:"},
		"flood 1100 u16:18+seq:4:1000+u8:0+f32:1", "net: stacked shapes",
		"more than 1024 collision shapes of other objects in one place."},
	{"one piece of script code", {}, "stream u16:6+text:%2F%2F+rep:1048577:41", "net: script code",
		"more than 1048576 bytes in one piece of script code."},
	{"objects with code of their own", {"flood 1030 u16:12+seq:4:1000+u8:0+text:"},
		"flood 1030 u16:16+seq:4:1000+" + text("int x;"), "net: object scripts",
		"more than 1024 objects with script code of their own."},
	{"script code held", {"flood 5 u16:7+text:k+num:1"}, "flood 5 u16:9+u8:2+text:k+num:1+text:%2F%2F+rep:1000000:41",
		"net: scripts held", "more than 4194304 bytes of script code."},
	{"open transfers", {}, "flood 1030 u16:2+seq:2:1+u8:0+text:f+num:1", "net: open transfers",
		"1024 transfers are open already."},
	// Each value of a change is looked up and logged, and a packet is handled whole.
	{"values in one change", {"block u16:7+text:v u16:8+u8:1+text:v+u16:1+text:hp u16:12+u32:50+u8:0+text:v"},
		"block u16:14+u32:50+rep:5000:0001010105", "net: values in a packet", "more than 4096 values in one packet."},
	// Refusals of every packet's own content: one line for all.
	{"values of no known type", {"block u16:10+u16:1+text:hp"}, "flood 100 u16:11+u16:1+u8:9", "net: value types",
		"type (9); the rest of the packet is ignored.", "attributes"},
	{"shapes out of range", {"block u16:12+u32:50+u8:0+text:"}, "flood 100 u16:18+u32:50+u8:0+f32:-1",
		"net: shape sizes", "a size or point is out of range.", "object"},
};

class ServerFloodTable : public ServerFlood, public ::testing::WithParamInterface<Flood>
{
};

TEST_P(ServerFloodTable, RefusesPastTheBoundOnceAndStaysInStep)
{
	const Flood& flood = GetParam();
	startGameWithProbe();
	for (const std::string& line : flood.setup)
	{
		server.ok(line);
		// What the setup makes is in place before the flood comes.
		server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(2));
		ASSERT_TRUE(heard(probeAnswer(2))) << line;
		server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(1));
		ASSERT_TRUE(heard(probeAnswer(1))) << line;
	}
	EXPECT_EQ(orv::countRefusals(flood.kind), 0u) << "the setup stays within the bound";

	server.ok(flood.flood);
	server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(7));
	EXPECT_TRUE(heard(probeAnswer(7))) << "the probe behind the flood";
	EXPECT_GE(orv::countRefusals(flood.kind), 1u);
	EXPECT_EQ(netLines(flood.line, flood.channel), 1u) << "one line for the kind";
	EXPECT_TRUE(engine().isGameRunning());
	EXPECT_TRUE(connected());
}

INSTANTIATE_TEST_SUITE_P(
	Bounds, ServerFloodTable, ::testing::ValuesIn(Floods), [](const ::testing::TestParamInfo<Flood>& info) {
		std::string name;
		for (const char* p = info.param.name; *p; ++p)
			name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
		return name;
	});

// The download folders' bound counts what earlier sessions left there: a gigabyte already on disk
// (a sparse file) leaves room for no new file.
TEST_F(ServerFlood, DownloadsPastTheDiskBoundAreRefused)
{
	{
		std::FILE* left = std::fopen((root() + "images/downloads/left.bin").c_str(), "wb");
		ASSERT_NE(left, nullptr);
		std::fclose(left);
	}
	fs::resize_file(root() + "images/downloads/left.bin", (std::uintmax_t(1) << 30) - 8192);
	startGameWithProbe();
	server.ok("block u16:2+u16:1+u8:1+text:a.gani u16:3+u16:1+text:AB u16:4+u16:1");
	server.ok("stream u16:2+u16:2+u8:1+text:b.gani u16:3+u16:2+rep:5000:42 u16:4+u16:2");
	server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(7));
	EXPECT_TRUE(heard(probeAnswer(7)));
	EXPECT_EQ(sandbox->folder().read("ani/a.gani"), "AB") << "one block of the disk was left";
	EXPECT_FALSE(fs::exists(root() + "ani/b.gani"));
	EXPECT_EQ(netLines("the download folders would hold more than 1024 MiB."), 1u);
}

// Counted, not timed: a finished file is written over frames, none writing more than its budget
// allows, and what the server sent behind its end waits until it is written, byte for byte.
TEST_F(ServerFlood, AFinishedFileIsWrittenOverFramesBeforeWhatFollowsIt)
{
	startGameWithProbe();
	// A tenth of the budget spreads an 8 MiB file over as many frames as 64 MiB take by default.
	orv::net::SReceiveBudget& budget = engine().getReceiveBudget();
	budget.work /= 10;
	const std::size_t fileBytes = 8u << 20;
	const std::size_t mostAFrame = orv::net::writableBytes(budget.work);
	const orv::CFileTransfers& transfers = engine().getFileTransfers();
	const std::string file = root() + "images/downloads/big.png";
	std::ofstream(file) << "old";
	server.ok("block u16:2+u16:1+u8:0+text:big.png");
	server.ok("flood 128 u16:3+u16:1+rep:65536:46");
	server.ok("block u16:4+u16:1 u16:12+u32:77+u8:0+text:");

	std::size_t left = 0, written = 0, writingFrames = 0, mostWritten = 0;
	bool wasWriting = false, objectBeforeFile = false, oldFileKept = true;
	ASSERT_TRUE(pumpUntil([&] {
		const bool writing = transfers.isWriting();
		const std::size_t nowLeft = writing ? transfers.getBytesToWrite() : 0;
		if (writing || wasWriting)
		{
			const std::size_t thisFrame = (wasWriting ? left : fileBytes) - nowLeft;
			written += thisFrame;
			mostWritten = std::max(mostWritten, thisFrame);
			++writingFrames;
		}
		wasWriting = writing;
		left = nowLeft;
		if (writing)
			oldFileKept = oldFileKept && sandbox->folder().read("images/downloads/big.png") == "old";
		const bool made = orv::CObjectManager::getInstance()->getSceneObject(77) != nullptr;
		objectBeforeFile = objectBeforeFile || (made && (writing || written != fileBytes));
		return made;
	}));
	EXPECT_FALSE(objectBeforeFile) << "the object behind the file's end came before it was written";
	EXPECT_EQ(written, fileBytes);
	EXPECT_LE(mostWritten, mostAFrame);
	EXPECT_GE(writingFrames, fileBytes / mostAFrame);
	EXPECT_TRUE(oldFileKept) << "the file it replaces stays whole until it is written";
	EXPECT_EQ(sandbox->folder().read("images/downloads/big.png"), repeated('F', fileBytes));
	EXPECT_EQ(std::distance(fs::directory_iterator(root() + "images/downloads"), fs::directory_iterator()), 1)
		<< "nothing beside it";
	EXPECT_EQ(transfers.getHeldBytes(), 0u);
}

// A server that reads nothing while the game keeps sending: what waits to be sent stays within its
// bound in every frame; past it the connection is lost as any other, with one line, and the next
// login works.
TEST_F(ServerFlood, WhatWaitsForAServerThatDoesNotReadIsBounded)
{
	startGameWithProbe();
	server.ok("read off");
	const orv::net::CSendQueue& queue = engine().getSendQueue();
	// Each frame sends what a script setting many attributes would; random bytes do not shrink.
	std::vector<irr::u8> bytes(60000);
	std::mt19937 random(7);
	for (irr::u8& byte : bytes)
		byte = static_cast<irr::u8>(random());
	orv::net::packet payload = orv::net::packet::fromU16(5);
	payload.appendBytes(bytes.data(), static_cast<irr::u32>(bytes.size()));
	std::size_t most = 0, sent = 0;
	ASSERT_TRUE(pumpUntil([&] {
		most = std::max(most, queue.getHeldBytes());
		if (!connected())
			return true;
		for (int i = 0; i < 16; ++i, sent += payload.getSize())
			engine().sendPacket(payload);
		most = std::max(most, queue.getHeldBytes());
		return false;
	}));
	EXPECT_GT(sent, std::size_t(orv::net::CSendQueue::MaxHeldBytes)) << "the queue filled before the loss";
	EXPECT_LE(most, std::size_t(orv::net::CSendQueue::MaxHeldBytes));
	ASSERT_TRUE(pumpUntil([&] { return !engine().isGameRunning(); }));
	EXPECT_EQ(lostConnectionBoxes(), 1u);
	EXPECT_EQ(netLines("MiB waited to be sent to the server: the connection is treated as lost"), 1u);

	connectAndLogin(2);
	server.ok("block u16:5+text:2D u16:12+u32:" + std::to_string(PROBE) +
		"+u8:0+text: u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(3));
	EXPECT_TRUE(heard(probeAnswer(3)));
}

// Counted, not timed: looking a long name up among many alike ones costs the frame its length times
// theirs, so a flood of them spreads over frames that each stay within their budget.
TEST_F(ServerFlood, SearchesAmongAlikeLongNamesAreWeighed)
{
	startGameWithProbe();
	const orv::net::SReceiveBudget& budget = engine().getReceiveBudget();
	const std::string head = text(repeated('a', 240));
	server.ok("flood 4096 u16:10+seq:2:0+" + head + "+num:100000");
	server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(2));
	ASSERT_TRUE(heard(probeAnswer(2)));
	ASSERT_EQ(engine().getServerAttributes().size(), 4096u);

	const std::size_t floodPackets = 400;
	// Names of 246 UTF-16 units.
	const irr::u32 searched = orv::net::searchWork(4096, 2 * 246);
	irr::u32 mostWork = 0;
	Frames = 0;
	server.ok("flood " + std::to_string(floodPackets) + " u16:10+seq:2:5000+" + head + "+num:200000");
	server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(7));
	ASSERT_TRUE(pumpUntil([&] {
		mostWork = std::max(mostWork, engine().getLastReceiveWork().work);
		return orv::countRefusals("net: server attributes") == floodPackets;
	}));
	// Each refusal searched the full list once. A frame may go past its budget by what its last
	// packet was charged after it ran.
	EXPECT_LE(mostWork, budget.work + searched + 64);
	EXPECT_GE(Frames, floodPackets * searched / (budget.work + searched + 64));
	EXPECT_TRUE(heard(probeAnswer(7)));
}

// Counted, not timed: every frame takes on no more packets and inflated bytes than its budget, and
// all of them arrive, in as few frames as the budget allows.
TEST_F(ServerFlood, EachFrameTakesOnNoMoreThanItsBudget)
{
	startGameWithProbe();
	const orv::net::SReceiveBudget& budget = engine().getReceiveBudget();
	struct Case
	{
		const char* flood;
		std::size_t packets;
		std::size_t bytes;
	};
	const Case cases[] = {
		{"flood 100000 u16:0+zeros:8", 100000, 100000 * 12},
		{"flood kind=bzip2 100 u16:0+zeros:60000", 100, 100 * 60005},
	};
	for (const Case& c : cases)
	{
		MostPackets = MostInflated = 0;
		Packets = Frames = 0;
		server.ok(c.flood);
		server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(7));
		ASSERT_TRUE(heard(probeAnswer(7))) << c.flood;
		EXPECT_GE(Packets, c.packets + 1) << c.flood << ": the flood and the probe, each once";
		EXPECT_LE(MostPackets, budget.packets) << c.flood;
		EXPECT_LE(MostInflated, budget.inflatedBytes + 0xFFFF) << c.flood;
		EXPECT_GE(Frames, std::max(c.packets / budget.packets, c.bytes / (budget.inflatedBytes + 0xFFFF))) << c.flood;
		server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(1));
		ASSERT_TRUE(heard(probeAnswer(1)));
	}
}

// What arrived before the server closed the connection is still handled, in order, over the frames
// after the end.
TEST_F(ServerFlood, WhatCameBeforeTheEndIsHandledAfterIt)
{
	connectAndLogin();
	server.ok("flood 40000 u16:12+seq:4:10+u8:0+text:");
	server.ok("close");
	int framesAfterTheEnd = 0;
	ASSERT_TRUE(pumpUntil([&] {
		framesAfterTheEnd += !connected();
		return !connected() && engine().getLastReceiveWork().packets == 0;
	}));
	EXPECT_GE(framesAfterTheEnd, 2) << "the flood took frames beyond the end";
	EXPECT_EQ(orv::CObjectManager::getInstance()->getSceneObjects().size(), 32768u);
	EXPECT_EQ(orv::countRefusals("net: objects"), 40000u - 32768u);
}

// A text of 16 MB in an error (12 KB on the wire): the box shows its head and can be closed; in the login phase the
// client can log in again at once.
TEST_F(ServerFlood, ALongErrorTextInTheLoginPhaseLeavesTheNextLoginWorking)
{
	connectAndLogin();
	server.ok("stream kind=bzip2 u16:1+rep:16000000:41");
	ASSERT_TRUE(pumpUntil([&] { return !connected() && !errorBoxes().empty(); }));
	ASSERT_EQ(errorTexts().size(), 1u);
	EXPECT_EQ(errorTexts()[0], repeated('A', 1000) + "...");
	EXPECT_TRUE(closable(errorBoxes()[0]));

	connectAndLogin(2);
	server.ok("block u16:5+text:2D u16:12+u32:" + std::to_string(PROBE) +
		"+u8:0+text: u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(3));
	EXPECT_TRUE(heard(probeAnswer(3)));
	EXPECT_TRUE(engine().isGameRunning());
}

TEST_F(ServerFlood, LongErrorTextsInTheGamePhaseKeepTheGame)
{
	startGameWithProbe();
	struct Case
	{
		const char* text;
		std::string shown;
	};
	std::string words, lines;
	for (int i = 0; i < 200; ++i)
		words += "word ";
	std::string crlfLines;
	for (int i = 0; i < 16; ++i)
	{
		lines += "x\n";
		crlfLines += "x\r";
	}
	const Case cases[] = {
		{"rep:16000000:41", repeated('A', 1000) + "..."},
		{"rep:3200000:776f726420", words + "..."},
		{"rep:8000000:780a", lines.substr(0, lines.size() - 1) + "..."},
		// One break each; the static text keeps the "\r" of a "\r\n".
		{"rep:5000000:780d0a", crlfLines.substr(0, crlfLines.size() - 1) + "..."},
		{"rep:999:41+text:%F0%9F%98%80%F0%9F%98%80", repeated('A', 999) + "\xF0\x9F\x98\x80..."},
		{"text:short%00behind%20a%20NUL", "short"},
	};
	int probe = 10;
	for (const Case& c : cases)
	{
		server.ok(std::string("stream kind=bzip2 u16:1+") + c.text);
		server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(++probe));
		ASSERT_TRUE(heard(probeAnswer(probe))) << c.text;
		ASSERT_EQ(errorTexts().size(), 1u) << c.text;
		EXPECT_EQ(errorTexts()[0], c.shown) << c.text;
		EXPECT_TRUE(closable(errorBoxes()[0])) << c.text;
		errorBoxes()[0]->remove();
	}
	EXPECT_TRUE(connected());
}

// Many errors: a few boxes at once, the newest shown, the oldest giving way.
TEST_F(ServerFlood, ErrorBoxesBeyondAFewGiveWay)
{
	startGameWithProbe();
	server.ok("flood 50 u16:1+text:error%20+num:1");
	server.ok("block u16:16+u32:" + std::to_string(PROBE) + "+" + probeCode(7));
	ASSERT_TRUE(heard(probeAnswer(7)));
	EXPECT_EQ(errorTexts(), (std::vector<std::string>{"error 47", "error 48", "error 49", "error 50"}));
	for (irr::gui::IGUIElement* box : errorBoxes())
		EXPECT_TRUE(closable(box));
}

} // namespace
