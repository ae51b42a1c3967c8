#pragma once

#include <irrTypes.h>
#include <rect.h>
#include <vector3d.h>

#include "world/IConsumer.h"

namespace irr {
class IrrlichtDevice;
namespace scene {
class ICameraSceneNode;
class ISceneNode;
} // namespace scene
} // namespace irr

namespace orv {

class CConsumerRegistry;
class CSceneObject;

//! The scene's one camera: orthographic, one unit a pixel, looking down -Z
//! with y pointing down the screen. It can follow a scene object's node,
//! kept inside a view limit when asked, and stops following an object that
//! leaves the world (kind-2 notifications).
/** A process singleton, made on first use and ended by the program's
    teardown. It holds a reference to the object it follows and to that
    object's node, so neither can go while it is read; the camera node
    belongs to the scene manager. Before init every operation does nothing
    or answers its default. */
class CCameraManager : public IConsumer
{
public:
	//! The far plane before anything sets it.
	static constexpr irr::f32 DEFAULT_FAR_Z = 5000.0f;

	static CCameraManager* getInstance();
	//! The singleton or null; never makes one.
	static CCameraManager* getExistingInstance();
	static void destroyInstance();

	CCameraManager();
	//! Lets go of the followed object and of the camera node while the device
	//! that made it still exists.
	~CCameraManager() override;
	CCameraManager(const CCameraManager&) = delete;
	CCameraManager& operator=(const CCameraManager&) = delete;

	//! Makes the camera in the device's scene, active, at the origin looking
	//! at (0, 0, -100) with up (0, -1, 0), and gives it its projection.
	void init(irr::IrrlichtDevice* device);
	//! The orthographic projection of the screen size and the far plane; a
	//! zero screen edge counts as 1. Later window sizes do not rebuild it.
	void updateProjection();
	//! Moves the camera over the followed node, inside the view limit when
	//! UseViewLimit is set. Once a frame.
	void update();

	irr::f32 getFarZ() const;
	//! A far plane of 0 or not finite is refused (logged on "script"): it
	//! would make the projection infinite.
	void setFarZ(irr::f32 farZ);
	irr::core::vector3df getPosition() const;
	//! Stops following, then moves the camera; its target stays.
	void setPosition(const irr::core::vector3df& position);
	//! The followed object, no reference added; null while still.
	CSceneObject* getFollowed() const;
	//! Follows the object's scene node, taking a reference to the object; an
	//! object without a node (or null) leaves everything as it was.
	void setFollowed(CSceneObject* object);
	irr::core::rectf getViewLimit() const { return ViewLimit; }
	void setViewLimit(const irr::core::rectf& limit) { ViewLimit = limit; }

	irr::scene::ICameraSceneNode* getCamera() const { return Camera; }
	bool hasCamera() const { return Device && Camera; }

	//! Kind 2 with the followed object's id stops following.
	bool consume(irr::s32 kind, net::packet& data) override;

	//! When set, a new far plane rebuilds the orthographic projection.
	bool KeepOrthographic = true;
	//! When set, the camera stays inside ViewLimit while following.
	bool UseViewLimit = false;

private:
	void stopFollowing();

	irr::IrrlichtDevice* Device = nullptr;
	irr::scene::ICameraSceneNode* Camera = nullptr;
	irr::scene::ISceneNode* FollowedNode = nullptr;
	CSceneObject* FollowedObject = nullptr;
	irr::f32 FarZ = DEFAULT_FAR_Z;
	irr::core::rectf ViewLimit{0.0f, 0.0f, 0.0f, 0.0f};
	// The registry that holds the manager.
	CConsumerRegistry* Registry = nullptr;
};

} // namespace orv
