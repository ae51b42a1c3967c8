#include "world/CSceneObject.h"

#include <cmath>
#include <cstddef>
#include <string>

#include <box2d/box2d.h>
#include <ISceneNode.h>

#include "base/Prefetch.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "world/AngleUnits.h"
#include "world/CObjectClass.h"
#include "world/CPhysicsManager.h"
#include "world/EngineAttributes.h"
#include "world/SceneObjectFixtureScale.h"

using irr::f32;
using irr::s32;
using irr::u32;
using irr::core::ustring16;
using irr::core::vector2df;
using irr::core::vector3df;

namespace orv {

namespace {

// Where Irrlicht keeps a node's placement.
struct SNodeLayout : irr::scene::ISceneNode
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
	static size_t placement()
	{
		return offsetof(SNodeLayout, RelativeTranslation);
	}
	static size_t placementEnd()
	{
		return offsetof(SNodeLayout, RelativeScale);
	}
#pragma GCC diagnostic pop
};

// What a node kind reads of its own fields when it is placed, which it keeps
// first, right behind Irrlicht's (an image node's mesh buffers and their flag).
const size_t NODE_OWN_PLACEMENT_BYTES = 40;

// Placing a node reads its type, its translation and rotation, and the
// first of its kind's own fields.
void prefetchPlacement(const irr::scene::ISceneNode* node)
{
	const char* bytes = reinterpret_cast<const char*>(node);
	prefetch(bytes);
	prefetch(bytes + SNodeLayout::placement());
	prefetch(bytes + SNodeLayout::placementEnd() - 1);
	const char* own = bytes + sizeof(irr::scene::ISceneNode);
	prefetch(own);
	prefetch(own + NODE_OWN_PLACEMENT_BYTES - 1);
}

// Writes the float and marks the id when the value differs. A NaN attribute
// always differs, so it is replaced.
void updateFloat(CSceneObject& object, s32 id, f32 value)
{
	SAttribute* attribute = object.getEngineAttribute(id);
	if (!attribute || attribute->getFloat() == value)
		return;
	attribute->setFloat(value);
	object.markEngineAttributeChanged(id);
}

bool isUsableScale(f32 value)
{
	return std::isfinite(value) && value != 0.0f;
}

} // namespace

void CSceneObject::SBindingDeleter::operator()(script::SScriptBinding* binding) const
{
	delete binding;
}

CSceneObject::CSceneObject(u32 id, CObjectClass* objectClass) : Id(id), Class(objectClass)
{
	setEngineAttributeDefaults(EngineAttributes);
	for (s32 id = EP_LEVEL; id <= EP_IMAGE; ++id)
		EngineAttributeById[id] = EngineAttributes.findById(static_cast<irr::u16>(id));

	if (Class)
	{
		ClassAttributes.copyFrom(Class->getAttributes());
		script::CScriptManager* scripts = Class->getModule() ? Class->getModule()->getScriptManager() : nullptr;
		Module = new script::CScriptModule(
			ustring16(("scene_object_" + std::to_string(Id)).c_str()), scripts, script::ESMK_OBJECT);
		Binding.reset(new script::SScriptBinding());
		Binding->setModule(Module);
	}

	b2BodyDef def;
	def.userData.pointer = reinterpret_cast<uintptr_t>(this);
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	BodyWorld = physics->getWorldSerial();
	physics->createBody(Body, def);
	Physics.body = Body;
}

CSceneObject::~CSceneObject()
{
	if (Module)
	{
		Module->drop();
		Module = nullptr;
	}
	// The world may be gone already at the end of the program; the body went with it.
	if (CPhysicsManager* physics = CPhysicsManager::getExistingInstance())
		physics->destroyBody(Body);
	Body = nullptr;
	Physics.body = nullptr;
	Binding.reset();
}

void CSceneObject::leaveWorld()
{
	if (CPhysicsManager* physics = CPhysicsManager::getExistingInstance())
		physics->destroyBody(Body);
	Body = nullptr;
	Physics.body = nullptr;
	Physics.owner = false;
	OnAttributeChange = nullptr;
	OnSync = nullptr;
	OnNodeSync = nullptr;
}

script::SScriptBinding* CSceneObject::getBindingWithCallbacks() const
{
	const irr::u64 revision = script::CScriptModule::getCallbacksRevision();
	if (OwnCallbacksRevision != revision)
	{
		OwnCallbacks = Module && Module->hasCallbacks();
		OwnCallbacksRevision = revision;
	}
	return OwnCallbacks ? Binding.get() : nullptr;
}

void CSceneObject::prefetchSync(ESyncPhase phase) const
{
	// The reference count lies in the virtual base, at the end of the object.
	prefetch(static_cast<const irr::IReferenceCounted*>(this));
	const s32 first = phase == ESP_MOTION ? EP_VELOCITY_X : EP_X;
	const s32 last = phase == ESP_MOTION ? EP_ROTATION : EP_Z;
	for (s32 id = first; id <= last; ++id)
		prefetch(EngineAttributeById[id]);
	if (phase == ESP_MOTION)
	{
		// The velocity and the angle.
		prefetchRange(Body, 128);
		return;
	}
	// Only addresses: neither the body nor a remembered node that has gone
	// since is read here.
	if (const b2Body* body = getBody())
	{
		const b2Vec2& position = body->GetPosition();
		prefetch(&position.x);
		prefetch(&position.y);
	}
	if (RememberedNode)
		prefetchPlacement(RememberedNode);
}

void CSceneObject::prefetchFields(ESyncPhase phase) const
{
	// Lines 0 and 1 hold what both walks read, then each walk has its own.
	prefetch(this);
	prefetch(&ChangedEngineAttributes);
	if (phase == ESP_MOTION)
	{
		prefetch(&EngineAttributeById[EP_VELOCITY_X]);
		prefetch(&Class);
	}
	else
	{
		prefetch(&RememberedNode);
		prefetch(&RememberedNodeRevision);
	}
}

b2Body* CSceneObject::getBody() const
{
	// The world may have gone before the object (the end of the program). The
	// manager fills the slot when it makes the body and empties it when it
	// destroys it, so a slot of the present world holds a live body or none.
	const CPhysicsManager* physics = CPhysicsManager::getExistingInstance();
	return physics && physics->getWorldSerial() == BodyWorld ? Body : nullptr;
}

SAttribute* CSceneObject::getEngineAttribute(s32 id) const
{
	if (id >= EP_LEVEL && id <= EP_IMAGE)
		return EngineAttributeById[id];
	if (id < 0 || id > 0xFFFF)
		return nullptr;
	return EngineAttributes.findById(static_cast<irr::u16>(id));
}

vector3df CSceneObject::getPosition() const
{
	return vector3df(getEngineAttribute(EP_X)->getFloat(), getEngineAttribute(EP_Y)->getFloat(),
		getEngineAttribute(EP_Z)->getFloat());
}

void CSceneObject::setPosition(const vector3df& position)
{
	if (!Physics.owner)
		return;
	updateFloat(*this, EP_X, position.X);
	updateFloat(*this, EP_Y, position.Y);
	updateFloat(*this, EP_Z, position.Z);
}

f32 CSceneObject::getRotation() const
{
	SSceneObjectPhysics own;
	own.body = getBody();
	return own.getRotation();
}

void CSceneObject::setRotation(f32 degrees)
{
	SSceneObjectPhysics own;
	own.body = getBody();
	own.setRotation(degrees);
}

vector2df CSceneObject::getScale() const
{
	return vector2df(getEngineAttribute(EP_SCALE_X)->getFloat(), getEngineAttribute(EP_SCALE_Y)->getFloat());
}

void CSceneObject::setScale(const vector2df& scale)
{
	// A zero or broken scale would flatten the shapes beyond recovery and
	// every later ratio would divide by it.
	if (!isUsableScale(scale.X) || !isUsableScale(scale.Y))
		return;
	const vector2df old = getScale();
	const bool changedX = scale.X != old.X;
	const bool changedY = scale.Y != old.Y;
	if (changedX)
	{
		getEngineAttribute(EP_SCALE_X)->setFloat(scale.X);
		markEngineAttributeChanged(EP_SCALE_X);
	}
	if (changedY)
	{
		getEngineAttribute(EP_SCALE_Y)->setFloat(scale.Y);
		markEngineAttributeChanged(EP_SCALE_Y);
	}
	if (!changedX && !changedY)
		return;
	scaleFixtures(getBody(), scale.X / old.X, scale.Y / old.Y);
}

void CSceneObject::syncFromBody(CSceneObject* object)
{
	if (!object)
		return;
	// A body that waited for the world, or a record a script overwrote,
	// becomes the object's own again.
	b2Body* body = object->getBody();
	object->Physics.body = body;
	if (object->Physics.owner && body)
	{
		CPhysicsManager* physics = CPhysicsManager::getInstance();
		const f32 ppu = static_cast<f32>(physics->getPixelsPerUnit());
		if (object->isEngineAttributeChanged(EP_X) || object->isEngineAttributeChanged(EP_Y))
		{
			// While the world is locked this waits; the angle is read when it
			// runs, so a turn queued before it is kept.
			const vector3df p = object->getPosition();
			const b2Vec2 position(p.X / ppu, p.Y / ppu);
			physics->runWhenUnlocked([physics, body, position] {
				if (physics->isLiveBody(body))
					physics->setTransform(body, position, body->GetAngle());
			});
		}
		// What follows reads the body as it is now, moved or still waiting.
		const b2Vec2 velocity = body->GetLinearVelocity();
		updateFloat(*object, EP_VELOCITY_X, velocity.x);
		updateFloat(*object, EP_VELOCITY_Y, velocity.y);
		const b2Vec2 force = physics->getAccumulatedForce(body);
		updateFloat(*object, EP_FORCE_X, force.x);
		updateFloat(*object, EP_FORCE_Y, force.y);
		updateFloat(*object, EP_TORQUE, physics->getAccumulatedTorque(body));
		updateFloat(*object, EP_ROTATION, -(body->GetAngle() * DEGREES_PER_RADIAN));
	}
	if (object->OnSync)
		object->OnSync(object);
}

void CSceneObject::syncPositionFromBody(CSceneObject* object)
{
	if (!object)
		return;
	if (const b2Body* body = object->getBody())
	{
		const f32 ppu = static_cast<f32>(CPhysicsManager::getInstance()->getPixelsPerUnit());
		const b2Vec2 position = body->GetPosition();
		if (position.x != object->LastBodyPosition.X)
		{
			object->getEngineAttribute(EP_X)->setFloat(position.x * ppu);
			object->markEngineAttributeChanged(EP_X);
		}
		if (position.y != object->LastBodyPosition.Y)
		{
			object->getEngineAttribute(EP_Y)->setFloat(position.y * ppu);
			object->markEngineAttributeChanged(EP_Y);
		}
		object->LastBodyPosition.set(position.x, position.y);
	}
	if (object->OnNodeSync)
		object->OnNodeSync(object);
}

} // namespace orv
