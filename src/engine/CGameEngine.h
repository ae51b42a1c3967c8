#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <vector2d.h>

#include <EDriverTypes.h>
#include <IrrlichtDevice.h>
#include <irrString.h>
#include <irrTypes.h>

#include "base/packet.h"
#include "engine/CEngineNetHost.h"
#include "engine/CIniFile.h"
#include "frontend/IFrontendHost.h"
#include "net/CFileTransfers.h"
#include "net/CPacketCipher.h"
#include "net/CParserSlot.h"
#include "net/CServerHoldings.h"
#include "net/ReceiveWork.h"
#include "net/CSendQueue.h"
#include "scene/ContentMisses.h"
#include "scene/ISceneHost.h"
#include "script/SScriptEvent.h"
#include "script/api/IGameHost.h"
#include "text/CStringTable.h"
#include "world/CAttributeList.h"
#include "world/CConsumerRegistry.h"

namespace irr {
namespace gui {
class CGUIFreetypeFont;
}
} // namespace irr

namespace orv {

class CSceneObject;
class CAnimation;
class CImage;
class CGameEventReceiver;
class CLoginEventReceiver;
class IConsumer;
namespace net {
class CSocket;
}
namespace audio {
class IAudioManager;
class IAudioSource;
class IListener;
} // namespace audio
namespace script {
class CScriptManager;
class CScriptModule;
struct SScriptBinding;
} // namespace script
struct SWindowChoice;

//! How the next engine starts. The program never changes it; tests use it to
//! run the real engine in a folder of their own, without a window.
struct SEngineLaunch
{
	//! Taken as the program directory instead of the executable's folder when
	//! not empty; normalised like the real one.
	irr::core::stringw programDirectory;
	//! The real device gets the null driver: nothing is drawn, no display needed.
	bool nullDevice = false;
};

//! The application object: the device, the settings, the network state, the
//! caches, the script host and the input state, one per process. It is the
//! host the scene and the script API reach while it is the process's engine.
class CGameEngine final : public ISceneHost, public script::IGameHost, public IFrontendHost
{
public:
	//! Irrlicht key codes 0 to 254 have a state; 255 (KEY_NONE) and up have none.
	static const irr::u32 KEY_STATE_COUNT = 255;

	//! The engine, constructed on first call; null when that allocation failed.
	static CGameEngine* getInstance();
	//! The engine when it exists; never constructs one.
	static CGameEngine* peekInstance();
	//! Destroys the engine (its destructor writes the settings); the pointer becomes null.
	static void destroyInstance();

	//! Read by the next construction and init.
	static void setLaunch(const SEngineLaunch& launch);
	static const SEngineLaunch& getLaunch();

	CGameEngine();
	~CGameEngine() override;
	CGameEngine(const CGameEngine&) = delete;
	CGameEngine& operator=(const CGameEngine&) = delete;

	//! Opens the window and builds everything the frame loop needs. False
	//! only when a device cannot be created.
	bool init();
	//! One frame's work; false when the program is to end.
	bool update();
	//! Draws one frame.
	void render();

	irr::IrrlichtDevice* getDevice() const override { return Device; }
	irr::video::IVideoDriver* getVideoDriver() const { return VideoDriver; }
	CIniFile& getSettings() { return Settings; }
	//! [Physics] debug_draw is exactly "on"; read afresh on every call.
	bool isDebugDrawOn() const;
	//! The executable's folder, ending in '/': the working directory and the
	//! root of downloaded files.
	const irr::core::stringw& getProgramDirectory() const override { return ProgramDirectory; }

	bool isOnline() const override { return Online != 0; }
	void setOnline(bool online) { Online = online ? 1 : 0; }
	bool isGameRunning() const { return GameRunning != 0; }
	//! A game that starts (the "2D" switch, offline play) takes the frame
	//! time now, so its first frame does not simulate the time before it.
	void setGameRunning(bool running);

	CSceneObject* getPlayerObject() const override { return PlayerObject; }
	void setPlayerObject(CSceneObject* object) override { PlayerObject = object; }
	SceneNodeMap& getSceneNodes() override
	{
		++SceneNodesRevision;
		return SceneNodes;
	}
	irr::scene::ISceneNode* findSceneNode(CSceneObject* object) override;

	CGameEventReceiver* getPlayReceiver() const { return PlayReceiver; }
	CLoginEventReceiver* getLoginReceiver() const { return LoginReceiver; }
	//! The switch to the game phase: the login screen goes with every GUI element.
	void leaveLoginScreen();

	//! The TrueType font the GUI skin draws with; null when it did not load
	//! (the skin then keeps Irrlicht's built-in font).
	irr::gui::CGUIFreetypeFont* getFont() const { return Font; }
	//! Every loaded translation table by language; the current one is
	//! irr::stringtable::CStringTable::getActiveTable.
	const irr::stringtable::StringTableMap& getStringTables() const override { return StringTables; }

	irr::u32 getLastFrameTime() const override { return LastFrameTime; }
	void setLastFrameTime(irr::u32 timeMs) override { LastFrameTime = timeMs; }

	net::CPacketCipher& getIncomingCipher() { return IncomingCipher; }
	net::packet& getReceiveBuffer() { return ReceiveBuffer; }
	net::packet& getDecodedBytes() { return DecodedBytes; }

	// The connection (CGameEngine_net.cpp).
	net::CSocket* getSocket() const { return Socket; }
	net::CSendQueue& getSendQueue() { return SendQueue; }
	//! The current packet parser and its replacement.
	CParserSlot& getParsers() { return Parsers; }
	CFileTransfers& getFileTransfers() { return FileTransfers; }
	CServerHoldings& getHoldings() { return Holdings; }
	//! What each frame's network step may take on of the received stream; tests and benchmarks
	//! look, and may change it.
	net::SReceiveBudget& getReceiveBudget() { return ReceiveBudget; }
	//! What the last network step took on.
	const net::SReceiveWork& getLastReceiveWork() const { return LastReceiveWork; }
	//! Frames the packet for the send queue; dropped while offline or when empty.
	void sendPacket(net::packet packet);
	//! Starts a clean connection's login exchange on a socket that just connected.
	void sendLogin(const irr::core::stringw& userName, const irr::core::stringw& password) override;
	//! Connects the socket to the server; 0 when it connected.
	int connect(const irr::core::stringc& host, const irr::core::stringc& port) override;
	bool isConnected() const override;
	//! A received block (compression byte and payload) in place; false when it yields nothing.
	bool decompressBlock(net::packet& block);

	// Consumer notifications, through the engine's registry.
	CConsumerRegistry& getConsumers() override { return Consumers; }
	void registerConsumer(irr::s32 kind, IConsumer* consumer) { Consumers.registerConsumer(kind, consumer); }
	void unregisterConsumer(IConsumer* consumer) { Consumers.unregisterConsumer(consumer); }
	void notifyConsumers(irr::s32 kind, net::packet& data) { Consumers.notifyConsumers(kind, data); }

	// World services (CGameEngine_world.cpp).
	//! A copy of the program directory.
	irr::core::stringw getWorkingDirectory() const { return ProgramDirectory; }
	//! The animation of that .gani file, read on first request; null when it
	//! cannot be read, and null again on every later request.
	CAnimation* getAnimation(const irr::core::ustring16& name) override;
	//! The cached image of that name, whatever its type; otherwise a new one of
	//! the type (1 static, 2 tiled) with its textures built; null for another type.
	CImage* getImage(irr::u32 type, const irr::core::ustring16& name) override;
	//! The cached image of that name, else a new static one.
	CImage* findImage(const irr::core::ustring16& name) override;
	//! The sound of that file, made on first request; null (and cached) while
	//! the client has no audio.
	audio::IAudioSource* getSound(const irr::core::ustring16& fileName);
	//! Gives an object of the object manager its scene node and sets it up to
	//! follow its body; an object already in the scene is left as it is.
	CSceneObject* addSceneObject(CSceneObject* object);
	//! The object manager's object of that id (made when absent), in the scene;
	//! null when none could be made.
	CSceneObject* createSceneObject(irr::u32 id, irr::u32 type, const irr::core::ustring16& className) override;
	//! Takes the object out of the scene and out of the object manager; false
	//! for id 0 or an unknown id.
	bool removeSceneObject(irr::u32 id);
	//! Hands OnEvent at once to the own scripts of the objects whose shapes
	//! touch the circle (pixels); the number of deliveries, one per touching
	//! fixture. A null sender travels as id 0.
	irr::u32 sendEvent(CSceneObject* sender, const irr::core::ustring16& event, const irr::core::ustring16& data,
		const irr::core::vector2df& origin, irr::f32 range) override;

	// The script host (CGameEngine_scripts.cpp); null before init.
	script::CScriptManager* getScriptManager() const override { return ScriptManager; }
	//! The audio manager made at start-up; null only when none could be made.
	audio::IAudioManager* getAudioManager() const { return AudioManager; }
	//! The "client" module, borrowed from the script manager.
	script::CScriptModule* getClientModule() const { return ClientModule; }
	script::SScriptBinding* getClientBinding() const override { return ClientBinding; }

	// The front end (CGameEngine_frontend.cpp).
	//! The [Language] language setting.
	void setLanguageSetting(const irr::core::ustring16& language) override;
	//! Forgets whatever an earlier game left: its objects, classes, server
	//! attributes, player, queued events, the client script and the GUI
	//! elements its scripts made.
	void resetSession() override;
	//! The play-time receiver takes the events, offline, the game running.
	void startOfflineGame() override;
	//! The device timer's time becomes the last frame's.
	void resetFrameTime() override;

	//! Attributes the server defines for the whole game; scripts read them when they look.
	CAttributeList& getServerAttributes() { return ServerAttributes; }

	// Created calls (CGameEngine_created.cpp).
	//! Runs Created on the object's own binding (null: the client's) with a
	//! run budget of its own, so that other scripts' time cannot cut it
	//! short; when it cannot start now (the frame's script time is spent, or
	//! Created calls nest too deep) it waits for the following frames, in
	//! order, and is never dropped for other scripts' time.
	void runCreated(CSceneObject* object) override;
	//! The frame runs the Created calls that wait, in order, while it has
	//! script time.
	void runWaitingCreated();
	//! A session or the program ends: the waiting calls go unrun.
	void dropWaitingCreated();

	ScriptEventQueue& getEventQueue() { return EventQueue; }
	//! Appends a copy at the back of the event queue.
	void queueEvent(const SScriptEvent& event) { EventQueue.push_back(event); }

	//! Whether the key is held; false for codes without a state.
	bool isKeyDown(irr::u32 keyCode) const override { return keyCode < KEY_STATE_COUNT && KeyStates[keyCode] != 0; }
	//! Codes without a state are ignored.
	void setKeyState(irr::u32 keyCode, bool down)
	{
		if (keyCode < KEY_STATE_COUNT)
			KeyStates[keyCode] = down ? 1 : 0;
	}
	//! No key is held. A key let go while the game does not receive input
	//! (on the login screen) would otherwise read as held in the next game.
	void clearKeyStates() { std::memset(KeyStates, 0, sizeof(KeyStates)); }

private:
	bool createFileSystemDevice();
	// Start-up step 12: the GUI skin's font from the [Font] settings.
	void initFont();
	// Start-up step 18: the tables of "translations", the current one by [Language].
	void initStringTables();
	// Start-up steps 13 to 15: parser, socket, ciphers.
	void initNetwork();
	// Closes and frees the socket (teardown).
	void destroyNetwork();
	// The network step of update; false when the connection is lost and the frame ends here.
	bool updateNetwork();
	// Start-up step 19: the login screen, its receiver installed.
	void initLoginScreen();
	// A lost game: the login screen with its message, the login phase, the game stopped.
	void returnToLoginScreen();
	// Teardown: no receiver is called any more, and the login screen's goes.
	void destroyReceivers();
	void readSettings();
	bool createWindowDevice(const SWindowChoice& choice);
	void writeSettings();
	// Render step 5: the listener at the player's node, a little off it.
	void placeListener();
	// Start-up steps 22 to 26: the script host, the engine's own script
	// types, the "client" module and binding, the callback table.
	void initScripts();
	// Destructor steps 9 and 10: the cached animations and images.
	void destroyWorldCaches();
	// The "client" binding, then the script host (teardown).
	void destroyScripts();
	void runCreatedNow(CSceneObject* object, script::SScriptBinding* binding);

	CIniFile Settings;
	irr::u8 Online;
	CSceneObject* PlayerObject;
	SceneNodeMap SceneNodes;
	// Moves on with every change of SceneNodes; objects remember their node
	// under it.
	irr::u64 SceneNodesRevision = 1;
	CGameEventReceiver* PlayReceiver;
	CLoginEventReceiver* LoginReceiver = nullptr;
	irr::u8 GameRunning;
	irr::IrrlichtDevice* Device;
	irr::video::IVideoDriver* VideoDriver;
	// -1 is no rate at all, so the first frame writes the caption.
	irr::s32 LastFrameRate;
	irr::u32 LastFrameTime;
	irr::core::stringw ProgramDirectory;
	net::CPacketCipher IncomingCipher;
	net::packet ReceiveBuffer;
	net::packet DecodedBytes;
	CEngineNetHost NetHost{*this};
	net::CSocket* Socket = nullptr;
	net::CSendQueue SendQueue;
	CParserSlot Parsers;
	CFileTransfers FileTransfers;
	CServerHoldings Holdings;
	net::SReceiveBudget ReceiveBudget;
	net::SReceiveWork LastReceiveWork;
	std::map<irr::core::ustring16, CAnimation*> Animations;
	std::map<irr::core::ustring16, CImage*> Images;
	// Null only when no manager could be made at all; the listener is the
	// manager's.
	audio::IAudioManager* AudioManager = nullptr;
	audio::IListener* Listener = nullptr;
	std::map<irr::core::ustring16, audio::IAudioSource*> Sounds;
	// The names of each cache that failed, bounded.
	CContentMisses AnimationMisses{"animations"};
	CContentMisses ImageMisses{"pictures"};
	CContentMisses SoundMisses{"sounds"};
	CConsumerRegistry Consumers;
	script::CScriptManager* ScriptManager = nullptr;
	script::CScriptModule* ClientModule = nullptr;
	script::SScriptBinding* ClientBinding = nullptr;
	CAttributeList ServerAttributes;
	irr::stringtable::StringTableMap StringTables;
	irr::gui::CGUIFreetypeFont* Font = nullptr;
	ScriptEventQueue EventQueue;
	// Each holds its object (null: the client).
	std::deque<CSceneObject*> WaitingCreated;
	irr::u8 KeyStates[KEY_STATE_COUNT];
};

} // namespace orv
