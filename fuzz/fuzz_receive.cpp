// The whole receive path under libFuzzer: blocks, incoming keystream, decompression, frames and
// every packet handler, from the login phase on.
//
// Input: [key byte][chunk byte][server stream]. The stream arrives in pieces of 1 to 64 bytes
// (chosen by the chunk byte), so blocks and frames are split at every place a socket can split them.

#include "net/CFileTransfers.h"
#include "net/CFrameDispatcher.h"
#include "net/CNetParse_Login.h"
#include "net/CParserSlot.h"
#include "net/CReceiveStream.h"
#include "net/INetParseHost.h"

#include <irrlicht.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace
{

namespace fs = std::filesystem;

class CFuzzHost : public orv::INetParseHost
{
public:
    irr::IrrlichtDevice* Device = nullptr;
    std::string Root;
    orv::CFileTransfers Transfers;
    orv::CParserSlot Parsers;

    irr::IrrlichtDevice* getDevice() override { return Device; }
    irr::core::stringc getDownloadRoot() override { return Root.c_str(); }
    orv::CFileTransfers& getFileTransfers() override { return Transfers; }
    void closeConnection() override {}
    void installPlayReceiver() override {}
    void setOnline(bool) override {}
    void setGameRunning(bool) override {}
    void replaceParser(orv::CNetParse* next) override { Parsers.replace(next); }
};

struct SWorld
{
    irr::IrrlichtDevice* device = nullptr;
    fs::path root;

    SWorld()
    {
        irr::SIrrlichtCreationParameters params;
        params.DriverType = irr::video::EDT_NULL;
        params.LoggingLevel = irr::ELL_NONE;
        device = irr::createDeviceEx(params);
        root = fs::temp_directory_path() / ("orv-fuzz-" + std::to_string(std::random_device()()));
        fs::remove_all(root);
        fs::create_directories(root / "images" / "downloads");
        fs::create_directories(root / "ani");
    }
    ~SWorld()
    {
        std::error_code error;
        fs::remove_all(root, error);
    }
};

SWorld& world()
{
    static SWorld instance;
    return instance;
}

//! Downloads go to the two folders and nowhere else: anything new beside them is an escape.
void checkConfinement(const fs::path& root)
{
    for (const fs::path& folder : {root, root / "images"})
        for (const auto& entry : fs::directory_iterator(folder))
        {
            const std::string name = entry.path().filename().string();
            const bool expected = folder == root ? (name == "images" || name == "ani") : name == "downloads";
            if (!expected)
            {
                std::fprintf(stderr, "download escaped its folder: %s\n", entry.path().c_str());
                std::abort();
            }
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const irr::u8* data, std::size_t size)
{
    if (size < 2)
        return 0;
    SWorld& w = world();
    CFuzzHost host;
    host.Device = w.device;
    host.Root = w.root.string() + "/";
    host.Parsers.replace(new orv::CNetParse_Login(host));

    orv::net::CPacketCipher incoming;
    incoming.reset(data[0]);
    const std::size_t chunk = (data[1] & 63) + 1;
    orv::net::packet received, decoded;
    orv::net::CReceiveStream stream(received, decoded);
    orv::net::CFrameDispatcher dispatcher(incoming, host.Parsers, w.device->getLogger());
    for (std::size_t pos = 2; pos < size; pos += chunk)
    {
        stream.append(data + pos, std::min(chunk, size - pos));
        stream.process(dispatcher);
    }

    w.device->getGUIEnvironment()->clear();
    checkConfinement(w.root);
    return 0;
}
