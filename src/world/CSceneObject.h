#pragma once

#include <cstddef>
#include <memory>

#include <IReferenceCounted.h>
#include <irrTypes.h>
#include <vector2d.h>
#include <vector3d.h>

#include "base/ustring16.h"
#include "world/AttributeIdSet.h"
#include "world/CAttributeList.h"
#include "world/EngineAttributes.h"
#include "world/SSceneObjectPhysics.h"

namespace irr {
namespace scene {
class ISceneNode;
}
} // namespace irr

namespace orv {

class CObjectClass;
class CSceneObject;
namespace script {
class CScriptModule;
struct SScriptBinding;
} // namespace script

//! Kinds of scene object; the numbers travel on the wire and in levels.
enum ESceneObjectType : irr::s32
{
	ESOT_DEFAULT = 0,
	ESOT_STATIC = 1,
	ESOT_ANIMATED = 2,
	ESOT_TILED = 3,
	ESOT_COUNT = 4
};

//! A hook that receives the object (the synchronisation and node-sync callbacks).
typedef void (*SceneObjectCallback)(CSceneObject* object);

//! The entity of the game world: an id, the class and engine attributes, a
//! script module of its own, a Box2D body and the hooks that keep its scene
//! node in step.
/** Only the object manager makes scene objects; it holds the first
    reference, and whoever else keeps an object grabs it. The body lives as
    long as the object; the object is its body's user data. Positions in the
    engine attributes are pixels, the body works in physics units. */
class CSceneObject : public virtual irr::IReferenceCounted
{
public:
	//! Copies the class's attributes (when a class is given), fills the engine
	//! attributes and makes the body: static, at the origin, or none while the
	//! world steps (it then comes once the step is over).
	CSceneObject(irr::u32 id, CObjectClass* objectClass);
	~CSceneObject() override;
	CSceneObject(const CSceneObject&) = delete;
	CSceneObject& operator=(const CSceneObject&) = delete;

	virtual ESceneObjectType getType() const { return ESOT_DEFAULT; }
	//! (EP_X, EP_Y, EP_Z) in pixels.
	virtual irr::core::vector3df getPosition() const;
	//! Only once the object is in the scene (owner flag set): writes and marks
	//! each component that differs. The body follows at the next syncFromBody.
	virtual void setPosition(const irr::core::vector3df& position);
	//! The body's angle in degrees (0 without a body); EP_ROTATION is not read.
	virtual irr::f32 getRotation() const;
	//! Turns the body, keeping its position; EP_ROTATION is not written.
	virtual void setRotation(irr::f32 degrees);
	//! (EP_SCALE_X, EP_SCALE_Y).
	virtual irr::core::vector2df getScale() const;
	//! Writes and marks each component that differs and rebuilds every fixture
	//! scaled by new over old. A component of 0 or not finite changes nothing.
	virtual void setScale(const irr::core::vector2df& scale);
	//! Empty text for objects without an image.
	virtual irr::core::ustring16 getImage() const { return irr::core::ustring16(); }
	//! Ignored by objects without an image.
	virtual void setImage(const irr::core::ustring16&) {}

	//! Moves an owned body to changed position attributes and mirrors its
	//! velocity, force, torque and rotation into the attributes; then, owned
	//! or not, calls the synchronisation callback.
	static void syncFromBody(CSceneObject* object);
	//! Writes a moved body into EP_X and EP_Y, then calls the node-sync callback.
	static void syncPositionFromBody(CSceneObject* object);

	irr::u32 getId() const { return Id; }
	//! Not owned; null for objects made without a class or after the object
	//! manager has gone.
	CObjectClass* getObjectClass() const { return Class; }
	void clearObjectClass() { Class = nullptr; }

	CAttributeList& getClassAttributes() { return ClassAttributes; }
	const CAttributeList& getClassAttributes() const { return ClassAttributes; }
	CAttributeList& getEngineAttributes() { return EngineAttributes; }
	const CAttributeList& getEngineAttributes() const { return EngineAttributes; }
	//! The engine attribute of that id; always there for the EP_ ids, which
	//! the list never drops.
	SAttribute* getEngineAttribute(irr::s32 id) const;

	AttributeIdSet<irr::u16>& getChangedClassAttributes() { return ChangedClassAttributes; }
	AttributeIdSet<irr::s32>& getChangedEngineAttributes() { return ChangedEngineAttributes; }
	const AttributeIdSet<irr::s32>& getChangedEngineAttributes() const { return ChangedEngineAttributes; }
	void markEngineAttributeChanged(irr::s32 id) { ChangedEngineAttributes.insert(id); }
	bool isEngineAttributeChanged(irr::s32 id) const { return ChangedEngineAttributes.count(id) != 0; }

	//! The own module "scene_object_" + id; null when scripts are not set up.
	script::CScriptModule* getModule() const { return Module; }
	//! The own module with its context; null when scripts are not set up.
	script::SScriptBinding* getBinding() const { return Binding.get(); }
	//! The own binding when its module defines any callback, else null. Every
	//! object is asked every frame and most have no code of their own: the
	//! answer is kept until the callbacks of some module change.
	script::SScriptBinding* getBindingWithCallbacks() const;

	bool isVisible() const { return Visible != 0; }
	void setVisible(bool visible) { Visible = visible ? 1 : 0; }
	bool isDrawnThisFrame() const { return DrawnThisFrame != 0; }
	void setDrawnThisFrame(bool drawn) { DrawnThisFrame = drawn ? 1 : 0; }

	AttributeChangeCallback getAttributeChangeCallback() const { return OnAttributeChange; }
	void setAttributeChangeCallback(AttributeChangeCallback callback) { OnAttributeChange = callback; }
	SceneObjectCallback getSyncCallback() const { return OnSync; }
	void setSyncCallback(SceneObjectCallback callback) { OnSync = callback; }
	SceneObjectCallback getNodeSyncCallback() const { return OnNodeSync; }
	void setNodeSyncCallback(SceneObjectCallback callback) { OnNodeSync = callback; }

	//! The scene node the engine's map held for the object at a revision of
	//! the map, kept with the object, so finding it every frame does not
	//! search the map. Only the engine writes it.
	void rememberSceneNode(irr::scene::ISceneNode* node, irr::u64 mapRevision)
	{
		RememberedNode = node;
		RememberedNodeRevision = mapRevision;
	}
	//! False when nothing is remembered for that revision of the map.
	bool recallSceneNode(irr::u64 mapRevision, irr::scene::ISceneNode*& node) const
	{
		node = RememberedNode;
		return RememberedNodeRevision == mapRevision && mapRevision != 0;
	}

	//! What a synchronisation reads, for asking for it a few objects ahead.
	enum ESyncPhase
	{
		//! syncFromBody: the body's motion into the motion attributes.
		ESP_MOTION,
		//! syncPositionFromBody and the node: the body's position into x and y.
		ESP_POSITION
	};
	//! Starts loading what that synchronisation reads behind the object's
	//! record: the reference count, the body, the attributes of the phase and
	//! the node, without waiting for them. It reads the record to find them.
	void prefetchSync(ESyncPhase phase) const;

	//! Physics units, as the last syncPositionFromBody saw it; the origin,
	//! where the body is made, before the first.
	irr::core::vector2df getLastBodyPosition() const { return LastBodyPosition; }

	//! The object's own body: null while it waits for a locked world, once
	//! the object has left the world, and once the world has gone.
	b2Body* getBody() const;

	//! The object manager's removal: the body is destroyed (once the world is
	//! free, when it steps) and the object stops following it, so whoever
	//! still holds the object holds something that no longer collides, moves
	//! or reaches a scene node.
	void leaveWorld();

	//! Bytes taken from the bound of the world's objects and tile maps
	//! (WorldMemory.h) that the object holds from now on and gives back when
	//! it goes.
	void adoptWorldMemory(std::size_t bytes) { WorldBytes += bytes; }
	//! Takes more from that bound for the object; false when it does not fit.
	bool takeWorldMemory(std::size_t bytes);
	//! Gives back part of what the object holds.
	void giveWorldMemory(std::size_t bytes);
	//! The attribute of that name in the object's own list, made when
	//! missing, that the caller sets next to `text` (empty for a number): the
	//! growth is taken from that bound first, what it shrinks by given back.
	//! Null, nothing changed, when it does not fit (said with the bound's
	//! line) or the list refuses the name.
	SAttribute* prepareAttribute(const irr::core::ustring16& name, const irr::core::ustring16& text);

	//! The body and the owner flag. A public field: scripts reach it as the
	//! property "Physics" by its offset, the same in every kind. Scripts may
	//! overwrite it; the object keeps its own body apart and puts it back
	//! into this record at every syncFromBody.
	SSceneObjectPhysics Physics;

private:
	struct SBindingDeleter
	{
		void operator()(script::SScriptBinding* binding) const;
	};

	// The slot the physics manager fills and empties; the body's user data
	// is this object.
	b2Body* Body = nullptr;
	// The world the slot belongs to: a body pointer outlives a world that went.
	irr::u64 BodyWorld = 0;
	irr::u32 Id;
	CObjectClass* Class;
	std::unique_ptr<script::SScriptBinding, SBindingDeleter> Binding;
	script::CScriptModule* Module = nullptr;
	mutable bool OwnCallbacks = false;
	mutable irr::u64 OwnCallbacksRevision = 0;
	CAttributeList ClassAttributes;
	CAttributeList EngineAttributes;
	// The EP_ attributes by id, looked up once.
	SAttribute* EngineAttributeById[EP_IMAGE + 1] = {};
	AttributeIdSet<irr::u16> ChangedClassAttributes;
	AttributeIdSet<irr::s32> ChangedEngineAttributes;
	irr::u8 Visible = 1;
	irr::u8 DrawnThisFrame = 0;
	AttributeChangeCallback OnAttributeChange = nullptr;
	SceneObjectCallback OnSync = nullptr;
	SceneObjectCallback OnNodeSync = nullptr;
	irr::scene::ISceneNode* RememberedNode = nullptr;
	irr::u64 RememberedNodeRevision = 0;
	irr::core::vector2df LastBodyPosition{0.0f, 0.0f};
	std::size_t WorldBytes = 0;
};

} // namespace orv
