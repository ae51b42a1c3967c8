#pragma once
// The application object as the script API reaches it: the global "Engine"
// of scripts, and the frame clock the Update callback reads.

#include <irrTypes.h>
#include <vector2d.h>

#include "base/ustring16.h"

namespace irr {
class IrrlichtDevice;
}

namespace orv {
class CSceneObject;
}

namespace orv::script {

//! The engine answers in the program.
class IGameHost
{
public:
	virtual ~IGameHost() = default;

	//! Its logger and timer; null before the window opens.
	virtual irr::IrrlichtDevice* getDevice() const = 0;
	//! The device time the last frame ended at, milliseconds.
	virtual irr::u32 getLastFrameTime() const = 0;
	//! Restarts the frame clock: the next frame steps from this time.
	virtual void setLastFrameTime(irr::u32 timeMs) = 0;
	virtual bool isKeyDown(irr::u32 keyCode) const = 0;
	virtual bool isOnline() const = 0;

	//! Hands OnEvent to the own scripts of the objects whose shapes touch the
	//! circle (pixels); the number of deliveries.
	virtual irr::u32 sendEvent(CSceneObject* sender, const irr::core::ustring16& event,
		const irr::core::ustring16& data, const irr::core::vector2df& origin, irr::f32 range) = 0;
	//! The object of that id (made when absent), in the scene; null when none could be made.
	virtual CSceneObject* createSceneObject(irr::u32 id, irr::u32 type, const irr::core::ustring16& className) = 0;
	//! Not owned; null while there is none.
	virtual CSceneObject* getPlayerObject() const = 0;
	virtual void setPlayerObject(CSceneObject* object) = 0;
};

} // namespace orv::script
