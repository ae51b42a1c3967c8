// Files sent by the server: written byte-exact in the two download folders and nowhere else.

#include "NetTestSupport.h"

#include "base/Log.h"
#include "base/Refusal.h"
#include "net/CNetParse_2D.h"
#include "base/Log.h"
#include "support/CLogLines.h"

#include <irrlicht.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace orv;
using namespace orv::rxtest;
namespace fs = std::filesystem;

namespace {

Bytes start(irr::u16 id, irr::u8 kind, const std::string& name)
{
	return concat({{0x00, 0x02, static_cast<irr::u8>(id >> 8), static_cast<irr::u8>(id), kind}, bytesOf(name)});
}
Bytes data(irr::u16 id, const Bytes& bytes)
{
	return concat({{0x00, 0x03, static_cast<irr::u8>(id >> 8), static_cast<irr::u8>(id)}, bytes});
}
Bytes end(irr::u16 id)
{
	return {0x00, 0x04, static_cast<irr::u8>(id >> 8), static_cast<irr::u8>(id)};
}

class FileTransferTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		// The root sits in a folder of its own, so a file escaping it is seen
		// there and nothing else in the temporary folder can look like one.
		Sandbox = fs::temp_directory_path() /
			("orv-downloads-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
				::testing::UnitTest::GetInstance()->current_test_info()->name());
		Root = Sandbox / "root";
		fs::remove_all(Sandbox);
		fs::create_directories(Root / "images" / "downloads");
		fs::create_directories(Root / "ani");
		irr::SIrrlichtCreationParameters params;
		params.DriverType = irr::video::EDT_NULL;
		params.LoggingLevel = irr::ELL_NONE;
		Device = irr::createDeviceEx(params);
		ASSERT_NE(Device, nullptr);
		Host.Device = Device;
		Host.Root = Root.string() + "/";
		Host.Parsers.replace(new CNetParse_2D(Host));
	}
	void TearDown() override
	{
		if (Device)
			Device->drop();
		fs::remove_all(Sandbox);
	}

	void feed(const std::vector<Bytes>& packets)
	{
		for (const Bytes& bytes : packets)
		{
			net::packet p = net::packet::fromBytes(bytes.data(), bytes.data() + bytes.size());
			EXPECT_TRUE(Host.Parsers.dispatch(p));
			// A finished file is written by the frames after its end, before the next packet.
			EXPECT_EQ(Host.Transfers.write(~std::size_t(0)), EFTR_OK);
		}
	}

	//! Every regular file below the root, relative to it, with its content.
	std::map<std::string, std::string> files() const
	{
		std::map<std::string, std::string> all;
		for (const auto& entry : fs::recursive_directory_iterator(Root))
			if (entry.is_regular_file())
			{
				std::ifstream in(entry.path(), std::ios::binary);
				all[fs::relative(entry.path(), Root).generic_string()] = std::string(
					std::istreambuf_iterator<char>(in), {});
			}
		return all;
	}

	fs::path Sandbox;
	fs::path Root;
	irr::IrrlichtDevice* Device = nullptr;
	CTestNetHost Host;
};

struct Case
{
	const char* name;
	std::vector<Bytes> packets;
	std::map<std::string, std::string> files;
};

const Case Cases[] = {
	{"two data packets into ani", {start(7, 1, "walk.gani"), data(7, {0x41, 0x42}), data(7, {0x43, 0x44}), end(7)},
		{{"ani/walk.gani", "ABCD"}}},
	{"kind 0 goes to images/downloads", {start(1, 0, "tree.png"), data(1, {0x00, 0xFF, 0x00}), end(1)},
		{{"images/downloads/tree.png", std::string("\x00\xFF\x00", 3)}}},
	{"interleaved transfers stay apart",
		{start(1, 0, "a.png"), start(2, 1, "b.gani"), data(2, bytesOf("bb")), data(1, bytesOf("aa")),
			data(1, bytesOf("A")), end(2), end(1)},
		{{"images/downloads/a.png", "aaA"}, {"ani/b.gani", "bb"}}},
	{"a repeated start drops the first file",
		{start(3, 0, "first.png"), data(3, bytesOf("1")), start(3, 0, "second.png"), data(3, bytesOf("2")), end(3)},
		{{"images/downloads/second.png", "2"}}},
	{"an empty file is written", {start(4, 1, "empty.gani"), end(4)}, {{"ani/empty.gani", ""}}},
	{"subfolders are made inside the download folder",
		{start(5, 0, "tiles/grass/a.png"), data(5, bytesOf("g")), end(5), start(6, 1, "x\\y.gani"),
			data(6, bytesOf("y")), end(6)},
		{{"images/downloads/tiles/grass/a.png", "g"}, {"ani/x/y.gani", "y"}}},
	{"data and end without a start are ignored", {data(9, bytesOf("x")), end(9)}, {}},
	{"end twice writes once", {start(8, 1, "once.gani"), end(8), data(8, bytesOf("late")), end(8)},
		{{"ani/once.gani", ""}}},
};

TEST_F(FileTransferTest, WritesFilesByteExact)
{
	for (const Case& c : Cases)
	{
		fs::remove_all(Root / "images" / "downloads");
		fs::remove_all(Root / "ani");
		fs::create_directories(Root / "images" / "downloads");
		fs::create_directories(Root / "ani");
		feed(c.packets);
		EXPECT_EQ(files(), c.files) << c.name;
		EXPECT_EQ(Host.Transfers.getOpenCount(), 0u) << c.name;
	}
}

struct HostileCase
{
	const char* name;
	irr::u8 kind;
	std::string fileName;
};

const HostileCase HostileCases[] = {
	{"parent step", 0, "../x"},
	{"parent steps behind a folder", 0, "a/../../x"},
	{"absolute path", 1, "/tmp/orv-hostile-x"},
	{"parent alone", 0, ".."},
	{"current folder", 1, "."},
	{"empty name", 0, ""},
	{"empty component", 0, "a//b"},
	{"backslash parent steps", 1, "a\\..\\..\\x"},
	{"trailing separator", 0, "a/"},
	{"drive letter", 0, "C:x"},
	{"control character", 1,
		"a\x01"
		"b"},
	{"kind 5", 5, "x.png"},
	{"kind 2", 2, "x.png"},
};

TEST_F(FileTransferTest, HostileNamesAndKindsOpenNoTransfer)
{
	for (const HostileCase& c : HostileCases)
	{
		feed({start(1, c.kind, c.fileName), data(1, bytesOf("evil")), end(1)});
		EXPECT_EQ(Host.Transfers.getOpenCount(), 0u) << c.name;
	}
	EXPECT_TRUE(files().empty());
	EXPECT_FALSE(fs::exists("/tmp/orv-hostile-x"));
	EXPECT_FALSE(fs::exists(Root.parent_path() / "x"));
}

TEST_F(FileTransferTest, ARefusedStartDropsTheTransferItReuses)
{
	feed({start(1, 0, "good.png"), data(1, bytesOf("g")), start(1, 0, "../bad.png"), data(1, bytesOf("b")), end(1)});
	EXPECT_TRUE(files().empty());
}

TEST_F(FileTransferTest, MissingDownloadFolderIsNotCreated)
{
	fs::remove_all(Root / "ani");
	feed({start(1, 1, "walk.gani"), data(1, bytesOf("w")), end(1)});
	EXPECT_FALSE(fs::exists(Root / "ani"));
	EXPECT_EQ(Host.Transfers.getOpenCount(), 0u);
}

// The download folders' disk: what is there already, whole blocks for every file and folder, and a
// file that replaces another gives its room back.
TEST_F(FileTransferTest, TheDownloadFoldersHoldNoMoreThanTheirDiskLimit)
{
	const std::size_t block = CFileTransfers::DiskBlockBytes;
	SFileTransferLimits limits;
	limits.diskBytes = 10 * block;
	{
		std::ofstream old(Root / "ani" / "old.gani", std::ios::binary);
		old << std::string(3 * block - 1, 'o');
	}
	CFileTransfers transfers(limits);
	const Bytes page(block, 'p');
	struct Step
	{
		char action;
		irr::u16 id;
		const char* name;
		std::size_t blocks;
		EFileTransferResult result;
	};
	const Step steps[] = {
		{'s', 1, "a.gani", 0, EFTR_OK},
		{'a', 1, "", 4, EFTR_OK},
		{'e', 1, "", 0, EFTR_OK},
		{'s', 2, "sub/b.gani", 0, EFTR_OK},
		// Three blocks of data fit, but not with the folder they need.
		{'a', 2, "", 3, EFTR_OK},
		{'e', 2, "", 0, EFTR_DISK_FULL},
		// A file in old.gani's place has old.gani's three blocks too.
		{'s', 3, "old.gani", 0, EFTR_OK},
		{'a', 3, "", 6, EFTR_OK},
		{'a', 3, "", 1, EFTR_DISK_FULL},
		{'s', 4, "old.gani", 0, EFTR_OK},
		{'e', 4, "", 0, EFTR_OK},
		{'s', 5, "c.gani", 0, EFTR_OK},
		{'a', 5, "", 2, EFTR_OK},
		{'e', 5, "", 0, EFTR_OK},
	};
	for (const Step& step : steps)
	{
		EFileTransferResult result = EFTR_OK;
		if (step.action == 's')
			result = transfers.start(step.id, 1, step.name, Host.Root);
		else if (step.action == 'e')
			result = transfers.finish(step.id, Device->getFileSystem());
		else
			for (std::size_t i = 0; i < step.blocks && result == EFTR_OK; ++i)
				result = transfers.append(step.id, page.data(), static_cast<irr::u32>(page.size()));
		EXPECT_EQ(result, step.result) << step.action << " " << step.id;
		EXPECT_LE(transfers.getDiskBytes(), limits.diskBytes) << step.action << " " << step.id;
	}
	// a.gani (4 blocks), old.gani emptied (1), c.gani (2).
	EXPECT_EQ(transfers.getDiskBytes(), 7 * block);
	EXPECT_EQ(transfers.write(~std::size_t(0)), EFTR_OK);
	EXPECT_EQ(files(),
		(std::map<std::string, std::string>{{"ani/a.gani", std::string(4 * block, 'p')}, {"ani/old.gani", ""},
			{"ani/c.gani", std::string(2 * block, 'p')}}));
}

// A file is written in pieces beside its place and takes it whole: cut off by a new connection, it
// leaves the file it was to replace as it was and nothing beside it.
TEST_F(FileTransferTest, AFileCutOffWhileWrittenLeavesTheOldOne)
{
	const fs::path file = Root / "ani" / "walk.gani";
	std::ofstream(file) << "old";
	CFileTransfers transfers;
	const Bytes bytes(100000, 'n');
	for (const bool cutOff : {true, false})
	{
		SCOPED_TRACE(cutOff ? "cut off" : "written");
		ASSERT_EQ(transfers.start(1, 1, "walk.gani", Host.Root), EFTR_OK);
		ASSERT_EQ(transfers.append(1, bytes.data(), static_cast<irr::u32>(bytes.size())), EFTR_OK);
		ASSERT_EQ(transfers.finish(1, Device->getFileSystem()), EFTR_OK);
		EXPECT_EQ(transfers.write(60000), EFTR_OK);
		EXPECT_EQ(transfers.getBytesToWrite(), 40000u);
		EXPECT_EQ(files().at("ani/walk.gani"), "old");
		if (cutOff)
			transfers.clear();
		else
			EXPECT_EQ(transfers.write(40000), EFTR_OK);
		EXPECT_FALSE(transfers.isWriting());
		EXPECT_EQ(transfers.getHeldBytes(), 0u);
		EXPECT_EQ(files(),
			(std::map<std::string, std::string>{
				{"ani/walk.gani", cutOff ? "old" : std::string(bytes.begin(), bytes.end())}}));
	}
}

// A client that ended while writing a file left it under its part name: the next measure of the
// folders removes it and does not count it.
TEST_F(FileTransferTest, AHalfWrittenFileLeftBehindIsRemoved)
{
	fs::create_directories(Root / "images" / "downloads" / "sub");
	std::ofstream(Root / "images" / "downloads" / "sub" / "big.png:part") << std::string(100000, 'h');
	std::ofstream(Root / "ani" / "kept.gani") << "k";
	CFileTransfers transfers;
	ASSERT_EQ(transfers.start(1, 0, "a.png", Host.Root), EFTR_OK);
	// kept.gani and the folder sub, a block each.
	EXPECT_EQ(transfers.getDiskBytes(), 2 * CFileTransfers::DiskBlockBytes);
	EXPECT_EQ(files(), (std::map<std::string, std::string>{{"ani/kept.gani", "k"}}));
}

TEST_F(FileTransferTest, ATransferAbove64MiBIsDropped)
{
	CFileTransfers transfers;
	ASSERT_EQ(transfers.start(1, 0, "big.png", Host.Root), EFTR_OK);
	const Bytes chunk(8u << 20, 'z');
	for (int i = 0; i < 8; ++i)
		ASSERT_EQ(transfers.append(1, chunk.data(), static_cast<irr::u32>(chunk.size())), EFTR_OK);
	EXPECT_EQ(transfers.append(1, chunk.data(), 1), EFTR_TOO_LARGE);
	EXPECT_EQ(transfers.getOpenCount(), 0u);
	EXPECT_EQ(transfers.append(1, chunk.data(), 1), EFTR_UNKNOWN_ID);
}

// One step on transfers with small limits: 's' starts a transfer named by `size` letters, 'a' appends
// `size` bytes, 'e' ends it.
struct SLimitStep
{
	char action;
	irr::u16 id;
	std::size_t size;
	EFileTransferResult result;
};

struct LimitCase
{
	const char* name;
	std::vector<SLimitStep> steps;
	std::size_t open;
};

const SFileTransferLimits SmallLimits = {1000, 8000, 4};

const LimitCase LimitCases[] = {
	{"long names count against the total",
		{{'s', 1, 3000, EFTR_OK}, {'s', 2, 3000, EFTR_OK}, {'s', 3, 3000, EFTR_ALL_TOO_LARGE}}, 2},
	{"a name alone above the total opens nothing", {{'s', 1, 9000, EFTR_ALL_TOO_LARGE}}, 0},
	{"bounded number of open transfers",
		{{'s', 1, 1, EFTR_OK}, {'s', 2, 1, EFTR_OK}, {'s', 3, 1, EFTR_OK}, {'s', 4, 1, EFTR_OK},
			{'s', 5, 1, EFTR_TOO_MANY}, {'s', 4, 1, EFTR_OK}, {'e', 1, 0, EFTR_OK}, {'s', 5, 1, EFTR_OK}},
		4},
	{"names leave less room for data",
		{{'s', 1, 3400, EFTR_OK}, {'s', 2, 3400, EFTR_OK}, {'s', 3, 1, EFTR_OK}, {'a', 3, 200, EFTR_OK},
			{'a', 3, 700, EFTR_ALL_TOO_LARGE}, {'s', 4, 1, EFTR_OK}, {'a', 4, 200, EFTR_OK}},
		3},
	{"many small pieces fill a file to its limit",
		{{'s', 1, 1, EFTR_OK}, {'a', 1, 1, EFTR_OK}, {'a', 1, 3, EFTR_OK}, {'a', 1, 100, EFTR_OK},
			{'a', 1, 896, EFTR_OK}, {'a', 1, 1, EFTR_TOO_LARGE}},
		0},
	{"a start under a used id makes room",
		{{'s', 1, 3000, EFTR_OK}, {'s', 2, 3000, EFTR_OK}, {'s', 1, 1, EFTR_OK}, {'s', 3, 3000, EFTR_OK}}, 3},
};

TEST_F(FileTransferTest, EverythingATransferHoldsCountsAgainstTheLimits)
{
	for (const LimitCase& c : LimitCases)
	{
		CFileTransfers transfers(SmallLimits);
		std::map<irr::u16, std::size_t> sizes;
		for (const SLimitStep& step : c.steps)
		{
			EFileTransferResult result = EFTR_OK;
			if (step.action == 's')
			{
				result = transfers.start(step.id, 0, std::string(step.size, 'n'), Host.Root);
				sizes[step.id] = step.size;
			}
			else if (step.action == 'a')
			{
				const Bytes bytes(step.size, 'd');
				result = transfers.append(step.id, bytes.data(), static_cast<irr::u32>(bytes.size()));
				sizes[step.id] += step.size;
			}
			else
			{
				result = transfers.finish(step.id, Device->getFileSystem());
			}
			if (result != EFTR_OK)
				sizes.erase(step.id);
			EXPECT_EQ(result, step.result) << c.name << ": " << step.action << " " << step.id;
			std::size_t least = 0;
			for (const auto& held : sizes)
				least += held.second;
			EXPECT_LE(transfers.getHeldBytes(), SmallLimits.totalBytes) << c.name;
			EXPECT_GE(transfers.getHeldBytes(), least) << c.name;
		}
		EXPECT_EQ(transfers.getOpenCount(), c.open) << c.name;
		transfers.clear();
		EXPECT_EQ(transfers.getHeldBytes(), 0u) << c.name;
	}
}

// One line for each kind of refusal until the next connection, however often the server meets it.
TEST_F(FileTransferTest, RefusedStartsAreLoggedOnNetOnceForEachKind)
{
	Host.Transfers = CFileTransfers(SmallLimits);
	forgetRefusals();
	test::CLogLines lines;
	Device->setEventReceiver(&lines);
	Device->getLogger()->setLogLevel(irr::ELL_WARNING);
	setLogger(Device->getLogger());
	std::vector<Bytes> packets{start(9, 1, std::string(9000, 'n'))};
	for (irr::u16 id = 1; id <= 6; ++id)
		packets.push_back(start(id, 0, "f" + std::to_string(id)));
	feed(packets);
	setLogger(nullptr);
	Device->setEventReceiver(nullptr);
	EXPECT_EQ(Host.Transfers.getOpenCount(), 4u);
	EXPECT_EQ(lines.count("net: Refused file transfer 5: 4 transfers are open already."), 1u);
	EXPECT_EQ(lines.count("net: Refused file transfer 6:"), 0u);
	EXPECT_EQ(countRefusals("net: open transfers"), 2u);
	EXPECT_EQ(lines.count("net: Refused file transfer 9: the open transfers together would exceed"), 1u);
}

} // namespace
