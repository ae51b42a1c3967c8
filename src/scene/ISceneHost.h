#pragma once
// What the scene's images, nodes and camera ask of the application that keeps
// them: its device, its caches, its map of object nodes and its consumers.

#include <unordered_map>

#include <irrTypes.h>

#include "base/ustring16.h"

namespace irr {
class IrrlichtDevice;
namespace scene {
class ISceneNode;
}
} // namespace irr

namespace orv {

class CAnimation;
class CConsumerRegistry;
class CImage;
class CSceneObject;

//! Each object in the scene and its node; every moving object looks its node
//! up every frame.
typedef std::unordered_map<CSceneObject*, irr::scene::ISceneNode*> SceneNodeMap;

//! The application as the scene sees it; the engine answers in the program.
class ISceneHost
{
public:
	virtual ~ISceneHost() = default;

	//! Null before the window opens and after it has closed.
	virtual irr::IrrlichtDevice* getDevice() const = 0;
	//! Where images announce new textures and the camera hears of removed objects.
	virtual CConsumerRegistry& getConsumers() = 0;
	//! For changing the map; a caller that only looks asks findSceneNode. A
	//! reference taken here is not kept across a frame: every call counts as
	//! a change of the map.
	virtual SceneNodeMap& getSceneNodes() = 0;
	//! The object's node in the map; null without one.
	virtual irr::scene::ISceneNode* findSceneNode(CSceneObject* object) = 0;
	//! Not owned; null while there is none.
	virtual CSceneObject* getPlayerObject() const = 0;

	//! The cached animation of that .gani file, read on first request; null
	//! when it cannot be read.
	virtual CAnimation* getAnimation(const irr::core::ustring16& name) = 0;
	//! The cached image of that name, whatever its type; otherwise a new one
	//! of the type (EImageType) with its textures built; null for another type.
	virtual CImage* getImage(irr::u32 type, const irr::core::ustring16& name) = 0;
	//! The cached image of that name, else a new static one.
	virtual CImage* findImage(const irr::core::ustring16& name) = 0;
};

//! The host of the running application; null while none runs.
ISceneHost* getSceneHost();
//! Set by the application when it comes and cleared before it goes.
void setSceneHost(ISceneHost* host);

} // namespace orv
