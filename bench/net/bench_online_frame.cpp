// One online frame of the engine's update with 10,000 objects that the server made and that move
// every frame: the time per frame and the bytes that go out, against the bare cost of the same
// work: Box2D's step of the same world plus the bare script calls the frame makes (each object's
// class Update twice, the client's once). The same frame offline (nothing built, nothing sent) is
// set against the same floor, and whatever the send queue leaves behind is counted.
//
// A small timed program: the engine runs on the null device, connected to a loopback peer that
// reads and counts what arrives. Run from a build without sanitizers for figures that mean much.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <ITimer.h>
#include <angelscript.h>

#include "engine/CGameEngine.h"
#include "engine/EngineTeardown.h"
#include "net/CNetParse.h"
#include "support/NoAudioDevice.h"
#include "support/ServerPackets.h"
#include "net/CSocket.h"
#include "script/CScriptModule.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

using namespace orv;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const irr::u32 OBJECT_COUNT = 10000;
const int WARM_UP_FRAMES = 5;
const int ROUNDS = 4;
const int FRAMES_PER_ROUND = 15;
const double TARGET_RATIO = 1.2;

//! Accepts one connection on a loopback port and reads everything, counting the bytes.
class CDrain
{
public:
	CDrain()
	{
		Listener = socket(AF_INET, SOCK_STREAM, 0);
		sockaddr_in address{};
		address.sin_family = AF_INET;
		address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
		bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
		listen(Listener, 1);
		socklen_t length = sizeof address;
		getsockname(Listener, reinterpret_cast<sockaddr*>(&address), &length);
		Port = ntohs(address.sin_port);
		Reader = std::thread([this] {
			const int connection = accept(Listener, nullptr, nullptr);
			char buffer[1 << 16];
			for (;;)
			{
				const ssize_t got = read(connection, buffer, sizeof buffer);
				if (got <= 0)
					break;
				Bytes += static_cast<unsigned long long>(got);
			}
			close(connection);
		});
	}
	~CDrain()
	{
		// Wakes an accept that never got its connection.
		shutdown(Listener, SHUT_RDWR);
		close(Listener);
		if (Reader.joinable())
			Reader.join();
	}
	unsigned port() const { return Port; }
	unsigned long long bytes() const { return Bytes.load(); }

private:
	int Listener;
	unsigned Port = 0;
	std::thread Reader;
	std::atomic<unsigned long long> Bytes{0};
};

double median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	return values[values.size() / 2];
}

double millisecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

//! The next frame comes one fixed step after the last one, so every frame steps the world once.
void prepareFrame(CGameEngine& engine)
{
	CPhysicsManager::getInstance()->setAccumulator(0.0f);
	// The device's time moves only when it ticks: without a tick here the last frame's length
	// would count too and the world would step its limit of five.
	irr::ITimer* timer = engine.getDevice()->getTimer();
	timer->tick();
	engine.setLastFrameTime(timer->getTime() - 17);
}

} // namespace

int main()
{
	bench::withoutAudioDevice();
	const fs::path root = fs::temp_directory_path() / ("orv-bench-" + std::to_string(std::random_device()()));
	fs::create_directories(root);
	SEngineLaunch launch;
	launch.programDirectory = irr::core::stringw((root.string() + "/").c_str());
	launch.nullDevice = true;
	CGameEngine::setLaunch(launch);
	CGameEngine* engine = CGameEngine::getInstance();
	if (!engine || !engine->init())
	{
		std::fprintf(stderr, "the engine does not start on the null device\n");
		return 1;
	}
	engine->getDevice()->getLogger()->setLogLevel(irr::ELL_NONE);

	CDrain drain;
	net::CSocket* socket = engine->getSocket();
	if (socket->init("127.0.0.1", std::to_string(drain.port()).c_str()) != 0 || socket->connect() != 0)
	{
		std::fprintf(stderr, "no loopback connection\n");
		return 1;
	}
	engine->setOnline(true);
	engine->setGameRunning(true);

	// The server's world: a class with an empty Update, the objects and their circles.
	bench::defineMover(*engine);
	CPhysicsManager::getInstance()->setGravity(irr::core::vector2df(0.0f, 10.0f));
	for (irr::u32 id = 1; id <= OBJECT_COUNT; ++id)
	{
		bench::addMover(*engine, id, 0, static_cast<float>(id % 100) * 32.0f, static_cast<float>(id / 100) * 32.0f);
		CSceneObject* object = CObjectManager::getInstance()->getSceneObject(id);
		// The server's shapes carry no mass; these fall.
		object->Physics.addCollisionCircle(0.4f, irr::core::vector2df(0.0f, 0.0f));
		object->Physics.setType(EBT_DYNAMIC);
		object->markEngineAttributeChanged(2);
		object->markEngineAttributeChanged(3);
	}

	for (int i = 0; i < WARM_UP_FRAMES; ++i)
	{
		prepareFrame(*engine);
		engine->update();
	}

	// The bare work of the same frame: Box2D's step and the script calls it makes.
	b2World* world = CPhysicsManager::getInstance()->getWorld();
	script::CScriptModule* module = CObjectManager::getInstance()->findObjectClass("mover")->getModule();
	AngelScript::asIScriptEngine* scripts = module->getEngineModule()->GetEngine();
	AngelScript::asIScriptFunction* update = scripts->GetFunctionById(module->getCallbackId(0));
	AngelScript::asIScriptContext* context = scripts->CreateContext();
	CSceneObject* self = CObjectManager::getInstance()->getSceneObject(1);
	const irr::u32 calls = 2 * OBJECT_COUNT + 1;
	const auto bareWork = [&](std::vector<double>& steps, std::vector<double>& bare) {
		Clock::time_point start = Clock::now();
		world->Step(CPhysicsManager::STEP_SECONDS, 10, 10);
		steps.push_back(millisecondsSince(start));
		start = Clock::now();
		for (irr::u32 call = 0; call < calls; ++call)
		{
			context->Prepare(update);
			context->SetArgObject(0, self);
			context->SetArgDWord(1, 0);
			context->Execute();
		}
		bare.push_back(millisecondsSince(start));
	};

	// Rounds of online frames, then of offline ones, each frame side by side with the bare work,
	// so a busy moment of the machine hurts all of them alike.
	net::CSendQueue& queue = engine->getSendQueue();
	const net::packet marker = bench::bytesOf(
		{net::packet::fromU8(1), net::packet::fromU8(2), net::packet::fromU16(0xFFFE)});
	std::vector<double> online, offline, steps, bare;
	double queuedBytes = 0.0;
	size_t mostLeftBehind = 0;
	const unsigned long long bytesBefore = drain.bytes();
	for (int round = 0; round < ROUNDS; ++round)
	{
		engine->setOnline(true);
		for (int i = 0; i < FRAMES_PER_ROUND; ++i)
		{
			prepareFrame(*engine);
			// A marker frame behind what waits: still queued after the update, it shows what of the
			// earlier frames was left behind; gone, everything before this frame's own has left.
			queue.push(marker);
			const Clock::time_point start = Clock::now();
			engine->update();
			online.push_back(millisecondsSince(start));
			const std::deque<net::packet>& frames = queue.getFrames();
			// The newest marker: markers of earlier frames may still wait in front of it.
			const auto found = std::find(frames.rbegin(), frames.rend(), marker);
			const auto fresh = found == frames.rend() ? frames.begin() : found.base();
			for (auto f = fresh; f != frames.end(); ++f)
				queuedBytes += f->getSize();
			mostLeftBehind = std::max(mostLeftBehind, static_cast<size_t>(fresh - frames.begin()));
			bareWork(steps, bare);
		}
		// What the last online frame queued leaves with the next network step.
		queue.flush();
		engine->setOnline(false);
		for (int i = 0; i < FRAMES_PER_ROUND; ++i)
		{
			prepareFrame(*engine);
			const Clock::time_point start = Clock::now();
			engine->update();
			offline.push_back(millisecondsSince(start));
			bareWork(steps, bare);
		}
	}
	context->Release();
	engine->setOnline(true);
	const size_t leftAtEnd = queue.getFrames().size();
	std::this_thread::sleep_for(std::chrono::milliseconds(300));
	const double onlineFrames = static_cast<double>(ROUNDS * FRAMES_PER_ROUND);
	const double bytesPerFrame = static_cast<double>(drain.bytes() - bytesBefore) / onlineFrames;
	queuedBytes /= onlineFrames;

	// The send queue's part: one flush of what one frame queues.
	engine->update();
	const Clock::time_point flushStart = Clock::now();
	queue.flush();
	const double flushMs = millisecondsSince(flushStart);

	const double onlineMs = median(online);
	const double offlineMs = median(offline);
	const double floorMs = median(steps) + median(bare);
	std::printf("objects                            %u\n", OBJECT_COUNT);
	std::printf("online frame                       %.3f ms  (median of %zu)\n", onlineMs, online.size());
	std::printf("offline frame (nothing sent)       %.3f ms\n", offlineMs);
	std::printf("Box2D step of the same world       %.3f ms\n", median(steps));
	std::printf("bare Prepare/Execute, %u calls  %.3f ms\n", calls, median(bare));
	std::printf("one flush of one frame's packets   %.3f ms\n", flushMs);
	std::printf("bytes queued per frame (frames)    %.0f\n", queuedBytes);
	std::printf("bytes sent per frame (wire)        %.0f\n", bytesPerFrame);
	std::printf("frames left from earlier frames    %zu at most, after a frame's network step\n", mostLeftBehind);
	std::printf("frames left in the queue at the end %zu  (target 0)\n", leftAtEnd);
	std::printf("online frame / (step + calls)      %.3f  (target <= %.3f)\n", onlineMs / floorMs, TARGET_RATIO);
	std::printf("offline frame / (step + calls)     %.3f  (target <= %.3f)\n", offlineMs / floorMs, TARGET_RATIO);

	socket->destroy();
	tearDownSingletons();
	std::error_code ignored;
	fs::remove_all(root, ignored);
	return 0;
}
