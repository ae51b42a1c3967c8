#include "engine/CGameEngine.h"

#include <IGUIEnvironment.h>
#include <ISceneManager.h>
#include <IVideoDriver.h>

#include "audio/IListener.h"
#include "scene/FrameSound.h"
#include "scene/TiledMapImage.h"
#include "world/CPhysicsManager.h"

namespace orv {

namespace {
const wchar_t* const VERSION_TEXT = L"0.0.1";
const irr::video::SColor CLEAR_COLOUR(0xFFFF0000);
// Where the listener stands from the player's node, in pixels.
const irr::core::vector3df LISTENER_OFFSET(1.0f, 2.0f, 0.0f);
} // namespace

bool CGameEngine::isDebugDrawOn() const
{
	const CIniSection* physics = Settings.findSection("Physics");
	return physics && physics->get("debug_draw") == "on";
}

void CGameEngine::render()
{
	if (!VideoDriver)
		return;

	VideoDriver->beginScene(true, true, CLEAR_COLOUR);
	// The scene animates its nodes as it draws them.
	beginFrameSounds();
	composeWaitingTiledMaps(*this);
	Device->getSceneManager()->drawAll();
	Device->getGUIEnvironment()->drawAll();

	// Asked every frame, so the setting can change while the game runs.
	if (isDebugDrawOn())
		if (CPhysicsManager* physics = CPhysicsManager::getInstance())
			physics->debugDraw(VideoDriver);

	// The caption is rebuilt only when the rate changed.
	const irr::s32 frameRate = VideoDriver->getFPS();
	if (frameRate != LastFrameRate)
	{
		irr::core::stringw caption(L"Orv ");
		caption += VERSION_TEXT;
		caption += L" [";
		caption += VideoDriver->getName();
		caption += L"] FPS: ";
		caption += frameRate;
		Device->setWindowCaption(caption.c_str());
		LastFrameRate = frameRate;
	}

	placeListener();

	VideoDriver->endScene();
}

void CGameEngine::placeListener()
{
	if (!Listener || !PlayerObject)
		return;
	irr::core::vector3df at(0.0f, 0.0f, 0.0f);
	const auto node = SceneNodes.find(PlayerObject);
	if (node != SceneNodes.end() && node->second)
		at = node->second->getAbsolutePosition();
	Listener->setPosition(
		audio::CVector3(at.X + LISTENER_OFFSET.X, at.Y + LISTENER_OFFSET.Y, at.Z + LISTENER_OFFSET.Z));
}

} // namespace orv
