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
#include "world/WorldMemory.h"

using irr::f32;
using irr::s32;
using irr::u32;
using irr::core::ustring16;
using irr::core::vector2df;
using irr::core::vector3df;

namespace orv {

namespace {

// Where Irrlicht keeps a node's placement: translation, rotation, scale.
struct SNodeLayout : irr::scene::ISceneNode
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
	static constexpr size_t placement()
	{
		return offsetof(SNodeLayout, RelativeTranslation);
	}
	static constexpr size_t rotation()
	{
		return offsetof(SNodeLayout, RelativeRotation);
	}
	static constexpr size_t placementEnd()
	{
		return offsetof(SNodeLayout, RelativeScale) + sizeof(irr::core::vector3df);
	}
#pragma GCC diagnostic pop
};
static_assert(SNodeLayout::placement() < SNodeLayout::rotation() &&
		SNodeLayout::rotation() < SNodeLayout::placementEnd() &&
		SNodeLayout::placementEnd() - SNodeLayout::placement() <= 64,
	"a node's translation, rotation and scale lie together, in that order");

// Placing a node asks for its type (a virtual call) and writes its
// translation, rotation or scale.
void prefetchPlacement(const irr::scene::ISceneNode* node)
{
	const char* bytes = reinterpret_cast<const char*>(node);
	prefetch(bytes);
	prefetchBytes(bytes + SNodeLayout::placement(), SNodeLayout::placementEnd() - SNodeLayout::placement());
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
		Module->setOwnerClass(Class->getName().toUTF8_std());
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
	getWorldMemory().give(WorldBytes);
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

bool CSceneObject::takeWorldMemory(std::size_t bytes)
{
	if (!getWorldMemory().take(bytes))
		return false;
	WorldBytes += bytes;
	return true;
}

void CSceneObject::giveWorldMemory(std::size_t bytes)
{
	if (bytes > WorldBytes)
		bytes = WorldBytes;
	WorldBytes -= bytes;
	getWorldMemory().give(bytes);
}

SAttribute* CSceneObject::prepareAttribute(const ustring16& name, const ustring16& text)
{
	SAttribute* existing = ClassAttributes.findByName(name);
	const std::size_t before = existing ? attributeHeldBytes(*existing) : 0;
	const std::size_t after = attributeHeldBytes(name, text);
	if (after > before && !takeWorldMemory(after - before))
	{
		reportWorldMemoryFull(
			("the attribute " + name.toUTF8_std() + " of object (" + std::to_string(Id) + ")").c_str());
		return nullptr;
	}
	SAttribute* attribute = existing ? existing : ClassAttributes.getOrAdd(name, -1);
	if (!attribute)
	{
		giveWorldMemory(after);
		return nullptr;
	}
	if (after < before)
		giveWorldMemory(before - after);
	return attribute;
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
	// The reference count lies in the virtual base, behind the fields of the
	// object's own kind.
	prefetch(static_cast<const irr::IReferenceCounted*>(this));
	const s32 first = phase == ESP_MOTION ? EP_VELOCITY_X : EP_X;
	const s32 last = phase == ESP_MOTION ? EP_ROTATION : EP_Z;
	for (s32 id = first; id <= last; ++id)
		prefetchRecord(EngineAttributeById[id]);
	// Only addresses: neither the body nor a remembered node that has gone
	// since is read here.
	const b2Body* body = getBody();
	if (phase == ESP_MOTION)
	{
		if (body)
			prefetchRecord(body);
		return;
	}
	if (body)
		prefetch(&body->GetPosition());
	if (RememberedNode)
		prefetchPlacement(RememberedNode);
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
