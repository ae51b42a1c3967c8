#include "engine/CGameEngine.h"

#include <algorithm>
#include <vector>

#include <ITimer.h>

#include "engine/AttributeWire.h"
#include "engine/CCameraManager.h"
#include "engine/CObjectClass.h"
#include "engine/CObjectManager.h"
#include "engine/CPhysicsManager.h"
#include "engine/CSceneObject.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"

namespace orv {

namespace {

const irr::u16 PACKET_CLASS_ATTRIBUTES = 4;
const irr::u16 PACKET_ENGINE_ATTRIBUTES = 5;

//! The ids of the objects at this moment. Scripts may add and remove objects
//! while a loop runs, so loops walk this copy and look every object up again.
void snapshotIds(const CObjectManager& objects, std::vector<irr::u32>& ids)
{
	ids.clear();
	ids.reserve(objects.getSceneObjects().size());
	for (const auto& entry : objects.getSceneObjects())
		ids.push_back(entry.first);
}

//! The player pointer holds no reference: once its object has left the
//! registry it may be gone, so it is dropped before any script could see it.
void forgetRemovedPlayer(CGameEngine& engine, const CObjectManager& objects)
{
	CSceneObject* player = engine.getPlayerObject();
	if (!player)
		return;
	const auto& map = objects.getSceneObjects();
	const bool registered = std::any_of(map.begin(), map.end(),
		[player](const CObjectManager::ObjectMap::value_type& entry) { return entry.second == player; });
	if (!registered)
		engine.setPlayerObject(nullptr);
}

void runScripts(CGameEngine& engine, CObjectManager& objects, std::vector<irr::u32>& ids)
{
	ScriptEventQueue& queue = engine.getEventQueue();
	SScriptEvent update;
	update.callbackId = ESEI_UPDATE;
	queue.push_back(update);

	if (script::SScriptBinding* client = engine.getClientBinding())
		client->runQueuedEvents(queue, engine.getPlayerObject());

	snapshotIds(objects, ids);
	for (const irr::u32 id : ids)
	{
		CSceneObject* object = objects.getSceneObject(id);
		if (!object)
			continue;
		// Its own script may remove it; the visit finishes on a live object.
		object->grab();
		CObjectClass* objectClass = object->getObjectClass();
		script::SScriptBinding* classBinding = objectClass ? objectClass->getBinding() : nullptr;
		script::SScriptBinding* ownBinding = object->getBinding();
		if (classBinding)
			classBinding->runQueuedEvents(queue, object);
		if (ownBinding)
			ownBinding->runQueuedEvents(queue, object);
		if (classBinding)
			classBinding->callCallback(script::ESC_UPDATE, net::packet(), object);
		if (ownBinding)
			ownBinding->callCallback(script::ESC_UPDATE, net::packet(), object);
		CSceneObject::syncFromBody(object);
		object->drop();
	}

	queue.clear();
}

//! One entry per id, ascending (the sets are ordered), in the id width the
//! packet uses; ids without an attribute add nothing.
template <typename IdSet, typename WriteId>
net::packet buildChangePacket(irr::u16 packetId, irr::u32 objectId, const IdSet& ids, const CAttributeList& list,
	WriteId writeId)
{
	net::packet out = net::packet::fromU16(packetId);
	out.append(net::packet::fromU32(objectId));
	for (const auto id : ids)
	{
		if (id < 0 || id > 0xFFFF)
			continue;
		const SAttribute* attribute = list.findById(static_cast<irr::u16>(id));
		if (!attribute)
			continue;
		out.append(writeId(id));
		out.append(writeAttributeValue(*attribute));
	}
	return out;
}

void writeBackAndSend(CGameEngine& engine, CObjectManager& objects, std::vector<irr::u32>& ids)
{
	// Offline the packets would be dropped unsent: they are not built at all.
	const bool online = engine.isOnline();
	snapshotIds(objects, ids);
	for (const irr::u32 id : ids)
	{
		CSceneObject* object = objects.getSceneObject(id);
		if (!object || !object->Physics.owner)
			continue;
		object->grab();
		CSceneObject::syncPositionFromBody(object);

		std::set<irr::s32>& engineIds = object->getChangedEngineAttributes();
		std::set<irr::u16>& classIds = object->getChangedClassAttributes();
		if (online && !engineIds.empty())
			engine.sendPacket(buildChangePacket(PACKET_ENGINE_ATTRIBUTES, id, engineIds,
				object->getEngineAttributes(),
				[](irr::s32 attributeId) { return net::packet::fromU8(static_cast<irr::u8>(attributeId)); }));
		if (online && !classIds.empty())
			engine.sendPacket(buildChangePacket(PACKET_CLASS_ATTRIBUTES, id, classIds,
				object->getClassAttributes(),
				[](irr::u16 attributeId) { return net::packet::fromU16(attributeId); }));
		engineIds.clear();
		classIds.clear();
		object->drop();
	}
}

} // namespace

bool CGameEngine::update()
{
	// Window messages; input reaches the installed receiver now.
	if (!Device || !Device->run() || !VideoDriver)
		return false;

	// The connection: a lost one ends the frame here.
	if (Online && !updateNetwork())
		return true;

	// While no game runs, queued input waits and the world stands still.
	if (!GameRunning)
		return true;

	CObjectManager* objects = CObjectManager::getInstance();
	if (!objects)
		return true;
	// Kept between frames so the loops do not allocate every frame.
	static std::vector<irr::u32> ids;

	forgetRemovedPlayer(*this, *objects);
	runScripts(*this, *objects, ids);

	// The time since the last frame, in fixed steps; the physics manager keeps the rest.
	const irr::u32 now = Device->getTimer()->getTime();
	if (CPhysicsManager* physics = CPhysicsManager::getInstance())
		physics->update(static_cast<irr::f32>(now - LastFrameTime) / 1000.0f);

	writeBackAndSend(*this, *objects, ids);

	// Before its init the camera has no device and stays where it is.
	if (CCameraManager* camera = CCameraManager::getInstance())
		camera->update();

	LastFrameTime = Device->getTimer()->getTime();
	return true;
}

} // namespace orv
