// The whole receive path under libFuzzer: blocks, incoming keystream, decompression, frames and
// every packet handler of the real engine, started on the null device in a folder of its own.
//
// Input: [key byte][chunk byte][server stream]. Each input is a new connection whose login carried
// the key byte; the stream arrives in pieces of 1 to 64 bytes (chosen by the chunk byte), so blocks
// and frames are split at every place a socket can split them. Each piece is taken on by one pass of
// the engine's own per-frame budget, and what waits then by as many passes as it takes, as the
// frames after would. The seeds reach the bounds of what a server may make the client hold (run
// with a -max_len of their size, and a memory limit).

#include "FuzzEngine.h"
#include "net/CFrameDispatcher.h"
#include "net/CReceiveStream.h"
#include "net/LoginPacket.h"

#include <IGUIEnvironment.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

irr::u8 nextKey = 0;
int keyOfInput()
{
	return nextKey;
}

struct SWorld
{
	fs::path root;
	std::set<std::string> expected;
	orv::CGameEngine* engine = nullptr;

	SWorld()
	{
		root = orv::fuzz::makeFolder("orv-fuzz-");
		fs::create_directories(root / "images" / "downloads");
		fs::create_directories(root / "ani");
		engine = &orv::fuzz::startEngine(root);
		orv::net::setLoginKeySource(keyOfInput);
		for (const auto& entry : fs::directory_iterator(root))
			expected.insert(entry.path().filename().string());
	}
	~SWorld() { orv::fuzz::stopEngine(root); }
};

//! Takes out what one input built, so the next starts with an empty world (classes stay: nothing
//! removes them, and they hold no object).
void clearWorld(orv::CGameEngine& engine)
{
	orv::fuzz::removeObjects(engine);
	engine.getServerAttributes() = orv::CAttributeList();
	engine.getEventQueue().clear();
}

SWorld& world()
{
	static SWorld instance;
	return instance;
}

//! Downloads go to the two folders and nowhere else: anything new beside them is an escape.
void checkConfinement(const SWorld& w)
{
	for (const auto& entry : fs::directory_iterator(w.root))
		if (!w.expected.count(entry.path().filename().string()))
		{
			std::fprintf(stderr, "download escaped its folder: %s\n", entry.path().c_str());
			std::abort();
		}
	for (const auto& entry : fs::directory_iterator(w.root / "images"))
		if (entry.path().filename() != "downloads")
		{
			std::fprintf(stderr, "download escaped its folder: %s\n", entry.path().c_str());
			std::abort();
		}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const irr::u8* data, std::size_t size)
{
	if (size < 2)
		return 0;
	SWorld& w = world();
	orv::CGameEngine& engine = *w.engine;

	// A clean connection: login-phase parser, empty buffers, keystreams under the input's key. The
	// login itself stays unsent (no socket is connected) and is dropped.
	engine.setGameRunning(false);
	nextKey = data[0];
	engine.sendLogin(L"fuzz", L"");
	engine.getSendQueue().clear();

	const std::size_t chunk = (data[1] & 63) + 1;
	orv::net::CReceiveStream stream(engine.getReceiveBuffer(), engine.getDecodedBytes());
	orv::net::CFrameDispatcher dispatcher(engine.getIncomingCipher(), engine.getParsers(),
		engine.getDevice()->getLogger(), &engine.getHoldings(), &engine.getFileTransfers());
	const orv::net::SReceiveBudget& budget = engine.getReceiveBudget();
	for (std::size_t pos = 2; pos < size; pos += chunk)
	{
		stream.append(data + pos, std::min(chunk, size - pos));
		stream.process(dispatcher, budget);
	}
	while (stream.hasWork() || dispatcher.isBusy())
		stream.process(dispatcher, budget);

	// A game the input started runs two frames of its world: scripts, the step, the write-back.
	// Offline, so the network step leaves the stream alone.
	if (engine.isGameRunning())
	{
		engine.setOnline(false);
		engine.update();
		engine.update();
		engine.setOnline(true);
	}
	clearWorld(engine);

	engine.getDevice()->getGUIEnvironment()->clear();
	checkConfinement(w);
	// Files of up to 64 MiB each: the next input starts with empty folders, not a full disk.
	for (const fs::path folder : {w.root / "images" / "downloads", w.root / "ani"})
		for (const auto& entry : fs::directory_iterator(folder))
			fs::remove_all(entry.path());
	return 0;
}
