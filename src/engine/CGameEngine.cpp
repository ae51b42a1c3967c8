#include "engine/CGameEngine.h"

#include <new>

#include <IFileSystem.h>
#include <ILogger.h>
#include <ISceneManager.h>

#include "audio/IAudioManager.h"
#include "base/DeviceClock.h"
#include "base/Log.h"
#include "base/Refusal.h"
#include "engine/CGameEventReceiver.h"
#include "platform/ProgramDirectory.h"
#include "text/CGUIFreetypeFont.h"
#include "world/CPhysicsManager.h"

namespace orv {

namespace {
CGameEngine* engineInstance = nullptr;
SEngineLaunch engineLaunch;

irr::ILogger* engineLogger()
{
	irr::IrrlichtDevice* device = engineInstance ? engineInstance->getDevice() : nullptr;
	return device ? device->getLogger() : nullptr;
}

// The layers below reach the process's engine only through these.
void publish(CGameEngine* engine)
{
	setSceneHost(engine);
	setLoggerSource(engine ? engineLogger : nullptr);
}
} // namespace

CGameEngine* CGameEngine::getInstance()
{
	if (!engineInstance)
	{
		engineInstance = new (std::nothrow) CGameEngine();
		publish(engineInstance);
	}
	return engineInstance;
}

CGameEngine* CGameEngine::peekInstance()
{
	return engineInstance;
}

void CGameEngine::destroyInstance()
{
	// The pointer goes first: what the destructor calls must not reach a
	// half-destroyed engine through it.
	CGameEngine* engine = engineInstance;
	engineInstance = nullptr;
	publish(nullptr);
	delete engine;
}

void CGameEngine::setLaunch(const SEngineLaunch& launch)
{
	engineLaunch = launch;
}

const SEngineLaunch& CGameEngine::getLaunch()
{
	return engineLaunch;
}

CGameEngine::CGameEngine()
	: Online(0)
	, PlayerObject(nullptr)
	, PlayReceiver(nullptr)
	, GameRunning(0)
	, Device(nullptr)
	, VideoDriver(nullptr)
	, LastFrameRate(-1)
	, LastFrameTime(0)
{
	ReceiveBuffer.reserve(8);
	DecodedBytes.reserve(8);
	clearKeyStates();
	if (!engineLaunch.programDirectory.empty())
		ProgramDirectory = engineLaunch.programDirectory;
	else
		ProgramDirectory = irr::core::ustring16(platform::getProgramDirectory()).toWCHAR_s();
}

CGameEngine::~CGameEngine()
{
	writeSettings();

	// The audio thread ends here, before anything it could reach goes.
	if (AudioManager)
	{
		AudioManager->releaseAllSources();
		AudioManager->shutdown();
		audio::destroyAudioManager(AudioManager);
		AudioManager = nullptr;
		Listener = nullptr;
	}

	// The skin keeps its own reference until the GUI goes with the device.
	if (Font)
	{
		Font->drop();
		Font = nullptr;
	}

	destroyNetwork();

	destroyReceivers();
	dropWaitingCreated();

	// Their teardown calls into the script engine, which goes with the host.
	destroyScripts();

	if (Device)
	{
		Device->getSceneManager()->clear();
		destroyWorldCaches();
		Device->drop();
		Device = nullptr;
		VideoDriver = nullptr;
	}

	irr::stringtable::CStringTable::clearTables(StringTables);
}

void CGameEngine::setGameRunning(bool running)
{
	if (running && !GameRunning)
	{
		if (Device)
			LastFrameTime = deviceTimeNow(Device);
		if (CPhysicsManager* physics = CPhysicsManager::getExistingInstance())
			physics->setAccumulator(0.0f);
		// A new game says again what its content or server had refused.
		forgetRefusals();
	}
	GameRunning = running ? 1 : 0;
}

void CGameEngine::writeSettings()
{
	if (!Device)
		return;
	if (!Settings.write("settings.ini", Device->getFileSystem()))
		Device->getLogger()->log("core", "Could not write settings.ini.", irr::ELL_ERROR);
}

} // namespace orv
