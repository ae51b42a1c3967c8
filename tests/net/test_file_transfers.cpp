// Files sent by the server: written byte-exact in the two download folders and nowhere else.

#include "NetTestSupport.h"

#include "net/CNetParse_2D.h"

#include <irrlicht.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace orv;
using namespace orv::rxtest;
namespace fs = std::filesystem;

namespace
{

Bytes start(irr::u16 id, irr::u8 kind, const std::string& name)
{
    return concat({{0x00, 0x02, static_cast<irr::u8>(id >> 8), static_cast<irr::u8>(id), kind}, bytesOf(name)});
}
Bytes data(irr::u16 id, const Bytes& bytes)
{
    return concat({{0x00, 0x03, static_cast<irr::u8>(id >> 8), static_cast<irr::u8>(id)}, bytes});
}
Bytes end(irr::u16 id) { return {0x00, 0x04, static_cast<irr::u8>(id >> 8), static_cast<irr::u8>(id)}; }

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
                all[fs::relative(entry.path(), Root).generic_string()] =
                    std::string(std::istreambuf_iterator<char>(in), {});
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
    {"two data packets into ani",
     {start(7, 1, "walk.gani"), data(7, {0x41, 0x42}), data(7, {0x43, 0x44}), end(7)},
     {{"ani/walk.gani", "ABCD"}}},
    {"kind 0 goes to images/downloads",
     {start(1, 0, "tree.png"), data(1, {0x00, 0xFF, 0x00}), end(1)},
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
    {"control character", 1, "a\x01" "b"},
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

TEST_F(FileTransferTest, OpenTransfersTogetherStayWithin256MiB)
{
    CFileTransfers transfers;
    const Bytes chunk(8u << 20, 'z');
    const auto fill = [&](irr::u16 id, int chunks) {
        for (int i = 0; i < chunks; ++i)
            ASSERT_EQ(transfers.append(id, chunk.data(), static_cast<irr::u32>(chunk.size())), EFTR_OK) << id;
    };
    // Four files just under the limit of one, then a fifth up to the limit of all.
    for (irr::u16 id = 1; id <= 5; ++id)
        ASSERT_EQ(transfers.start(id, 0, "f" + std::to_string(id) + ".png", Host.Root), EFTR_OK);
    for (irr::u16 id = 1; id <= 4; ++id)
        fill(id, 7);
    fill(5, 4);
    EXPECT_EQ(transfers.getHeldBytes(), CFileTransfers::MaxTotalSize);

    EXPECT_EQ(transfers.append(5, chunk.data(), 1), EFTR_ALL_TOO_LARGE);
    EXPECT_EQ(transfers.getOpenCount(), 4u) << "only the transfer that would pass the limit goes";
    EXPECT_EQ(transfers.getHeldBytes(), 4u * 7u * (8u << 20));

    // A start under a used id drops that transfer's bytes and makes room.
    ASSERT_EQ(transfers.start(1, 0, "again.png", Host.Root), EFTR_OK);
    fill(6, 0);
    EXPECT_EQ(transfers.append(6, chunk.data(), 1), EFTR_UNKNOWN_ID);
    fill(1, 8);
    EXPECT_EQ(transfers.getHeldBytes(), 3u * 7u * (8u << 20) + 8u * (8u << 20));
    transfers.clear();
    EXPECT_EQ(transfers.getHeldBytes(), 0u);
}

} // namespace
