#include "engine/CGameEngine.h"

#include <IFileSystem.h>
#include <ILogger.h>
#include <ISceneManager.h>
#include <ITimer.h>
#include <IVideoDriver.h>
#include <irrlicht.h>

#include "audio/IAudioManager.h"
#include "base/Refusal.h"
#include "engine/CFileBuffer.h"
#include "engine/CGameEventReceiver.h"
#include "engine/LevelCallbacks.h"
#include "engine/SWindowChoice.h"
#include "frontend/CFolderArchive.h"
#include "level/CLevelLoader.h"
#include "scene/CCameraManager.h"
#include "scene/CImageBatch.h"
#include "text/CGUIFreetypeFont.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/ContactCallbacks.h"

namespace orv {

using irr::core::ustring16;

namespace {

irr::io::path toPath(const irr::core::stringw& text)
{
	return ustring16(text).toUTF8_s();
}

void setDefault(CIniSection* section, const char* key, const char* value)
{
	if (!section->has(key))
		section->set(key, value);
}

void setDefaultNumber(CIniSection* section, const char* key, irr::s32 value)
{
	if (!section->has(key))
		section->setNumber(key, value);
}

} // namespace

bool CGameEngine::init()
{
	// 1. The level loader record, with the engine's callbacks.
	if (CLevelLoader* levels = CLevelLoader::getInstance())
	{
		levels->onObjectLoaded = onObjectLoaded;
		levels->onClassCreated = onClassCreated;
	}

	// 2-3. A window-less device, only to reach the file system.
	if (!createFileSystemDevice())
		return false;

	// 4. Settings, completed with the defaults of a fresh install.
	readSettings();

	// 5. The file-system device has done its work.
	Device->drop();
	Device = nullptr;

	// 6-7. The real device, as the [Window] settings ask.
	SWindowChoice window = chooseWindow(*Settings.getSection("Window"));
	if (getLaunch().nullDevice)
		window.driver = irr::video::EDT_NULL;
	if (!createWindowDevice(window))
		return false;

	// 8. The new device has a file system of its own; only its working directory is set.
	Device->setResizable(true);
	Device->getFileSystem()->changeWorkingDirectoryTo(toPath(ProgramDirectory));

	// 9. Scene parameters.
	Device->getSceneManager()->getParameters()->setAttribute("Allow_ZWrite_On_Transparent", true);
	// Image nodes of one texture go to the driver together.
	CImageBatch::install(Device->getSceneManager());

	// 10. The video driver.
	VideoDriver = Device->getVideoDriver();

	// 11. The camera, made for this device.
	CCameraManager::getInstance()->init(Device);

	// 12. The GUI's font.
	initFont();

	// 13-15. Parser, socket and ciphers.
	initNetwork();

	// 16. Sound. A manager without a device, which has said once that the
	// game runs without sound, is not kept: every sound asked of it would
	// fail with a line of its own, and its thread would go on for nothing.
	AudioManager = audio::createAudioManager();
	if (AudioManager && !audio::hasOpenDevice(AudioManager))
	{
		audio::destroyAudioManager(AudioManager);
		AudioManager = nullptr;
	}
	Listener = AudioManager ? AudioManager->getListener() : nullptr;

	// 17. Contacts reach the scripts of the objects involved.
	CPhysicsManager::getInstance()->setContactCallbacks(onBeginContact, onEndContact, onSolveContact);

	// 18. Translations, before the first GUI text.
	initStringTables();

	// 19. The login screen, its receiver taking the events.
	initLoginScreen();

	// 20. The play-time receiver, installed only when a game starts.
	PlayReceiver = new CGameEventReceiver();

	// 21. No key is held.
	clearKeyStates();

	// 22-26. Scripts.
	initScripts();

	// 27. The default class exists before any level or package names one.
	if (CObjectManager* objects = CObjectManager::getInstance())
		objects->getObjectClass(ScriptManager, "blank");

	// 28. Frame time starts now.
	LastFrameTime = Device->getTimer()->getTime();
	return true;
}

bool CGameEngine::createFileSystemDevice()
{
	Device = irr::createDevice(
		irr::video::EDT_NULL, irr::core::dimension2du(640, 480), 16, false, false, false, nullptr);
	if (!Device)
		return false;

	irr::io::IFileSystem* fileSystem = Device->getFileSystem();
	irr::io::path directory = toPath(ProgramDirectory);
	fileSystem->flattenFilename(directory, "/");
	ProgramDirectory = ustring16(directory).toWCHAR_s();
	fileSystem->changeWorkingDirectoryTo(directory);
	// The file system takes over the reference, and drops it with the device.
	if (irr::io::IFileArchive* folder = CFolderArchive::open(fileSystem, directory))
		if (!fileSystem->addFileArchive(folder))
			folder->drop();
	return true;
}

void CGameEngine::readSettings()
{
	{
		CFileBuffer file;
		file.load(Device->getFileSystem(), "settings.ini");
		Settings.parse(file);
	}

	CIniSection* font = Settings.getSection("Font");
	CIniSection* language = Settings.getSection("Language");
	CIniSection* window = Settings.getSection("Window");
	setDefault(font, "default", "code2001.ttf");
	setDefaultNumber(font, "default_size", 14);
	setDefault(language, "language", "English");
	setDefault(window, "driver", "opengl");
	setDefaultNumber(window, "height", 600);
	setDefaultNumber(window, "width", 800);
}

void CGameEngine::initFont()
{
	const CIniSection* settings = Settings.getSection("Font");
	const irr::io::path file = irr::io::path("fonts/") + settings->get("default").toUTF8_s();
	// A negative size is no size; the font refuses 0.
	const irr::s32 size = settings->getNumber("default_size");
	Font = irr::gui::CGUIFreetypeFont::create(Device, file, size > 0 ? static_cast<irr::u32>(size) : 0);
	// Without it the skin keeps Irrlicht's built-in font: a null font would
	// leave every GUI text undrawn.
	if (Font)
		Device->getGUIEnvironment()->getSkin()->setFont(Font, irr::gui::EGDF_DEFAULT);
}

void CGameEngine::initStringTables()
{
	irr::stringtable::CStringTable::loadDirectory(StringTables, "translations", Device->getFileSystem());
	irr::stringtable::CStringTable::setActiveLanguage(StringTables, Settings.getSection("Language")->get("language"));
}

bool CGameEngine::createWindowDevice(const SWindowChoice& choice)
{
	Device = irr::createDevice(choice.driver, choice.size, 32, false, false, choice.vsync, nullptr);
	if (!Device)
		return false;
	if (choice.dx9Replaced)
		reportRefusal("core", "Direct3D 9 is not available on this platform; drawing with OpenGL.");
	return true;
}

} // namespace orv
