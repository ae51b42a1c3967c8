#include "engine/CGameEngine.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <ITimer.h>

#include "net/PacketIds.h"
#include "scene/CCameraManager.h"
#include "script/CScriptManager.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "world/AttributeWire.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

namespace orv {

namespace {

// Every script run of one frame, input and packets included, shares the
// frame's script budget.
struct SScriptFrame
{
	explicit SScriptFrame(script::CScriptManager* scripts) : Scripts(scripts)
	{
		if (Scripts)
			Scripts->beginFrame();
	}
	~SScriptFrame()
	{
		if (Scripts)
			Scripts->endFrame();
	}
	SScriptFrame(const SScriptFrame&) = delete;
	SScriptFrame& operator=(const SScriptFrame&) = delete;

	script::CScriptManager* Scripts;
};

// The walk over the objects' callbacks is one span of script work.
struct SScriptSpan
{
	explicit SScriptSpan(script::CScriptManager* scripts) : Scripts(scripts)
	{
		if (Scripts)
			Scripts->beginRunSpan();
	}
	~SScriptSpan()
	{
		if (Scripts)
			Scripts->endRunSpan();
	}
	SScriptSpan(const SScriptSpan&) = delete;
	SScriptSpan& operator=(const SScriptSpan&) = delete;

	script::CScriptManager* Scripts;
};

//! The objects, by id, at one revision of the registry. Scripts may add and
//! remove objects while a loop runs, so loops walk this copy; an entry's
//! object is taken as it stands only while the registry is unchanged since,
//! else its id is looked up again.
struct SObjectSnapshot
{
	std::vector<std::pair<irr::u32, CSceneObject*>> entries;
	irr::u64 revision = 0;
};

//! The registry's nodes lie scattered over the heap, and walking thousands
//! of them costs about as much as the frame's script calls: a snapshot that
//! is still current (mostly the last frame's) is kept.
void takeSnapshot(const CObjectManager& objects, SObjectSnapshot& snapshot)
{
	if (snapshot.revision == objects.getRevision())
		return;
	snapshot.entries.clear();
	snapshot.entries.reserve(objects.getSceneObjects().size());
	for (const auto& entry : objects.getSceneObjects())
		snapshot.entries.emplace_back(entry.first, entry.second);
	snapshot.revision = objects.getRevision();
}

//! The registry's object of the entry's id now; null once it has left.
CSceneObject* currentObject(
	const CObjectManager& objects, const SObjectSnapshot& snapshot, const std::pair<irr::u32, CSceneObject*>& entry)
{
	return snapshot.revision == objects.getRevision() ? entry.second : objects.getSceneObject(entry.first);
}

//! How many objects ahead a walk asks for what an object's synchronisation
//! reads behind its record.
const size_t SYNC_AHEAD = 4;

//! Starts loading what the walk at entry i will soon need. Only while the
//! registry is unchanged: an entry's object may be gone after a change.
void prefetchAhead(
	const CObjectManager& objects, const SObjectSnapshot& snapshot, size_t i, CSceneObject::ESyncPhase phase)
{
	if (snapshot.revision != objects.getRevision())
		return;
	if (i + SYNC_AHEAD < snapshot.entries.size())
		snapshot.entries[i + SYNC_AHEAD].second->prefetchSync(phase);
}

//! The player pointer holds no reference: once its object has left the
//! registry it may be gone, so it is dropped before any script could see it.
void forgetRemovedPlayer(CGameEngine& engine, const CObjectManager& objects)
{
	// Found once, it stays registered while the registry does not change:
	// the walk is left for the frames after a change.
	static CSceneObject* confirmed = nullptr;
	static irr::u64 confirmedRevision = 0;
	CSceneObject* player = engine.getPlayerObject();
	if (!player)
		return;
	if (player == confirmed && confirmedRevision == objects.getRevision())
		return;
	const auto& map = objects.getSceneObjects();
	const bool registered = std::any_of(map.begin(), map.end(),
		[player](const CObjectManager::ObjectMap::value_type& entry) { return entry.second == player; });
	if (!registered)
	{
		engine.setPlayerObject(nullptr);
		return;
	}
	confirmed = player;
	confirmedRevision = objects.getRevision();
}

void runScripts(CGameEngine& engine, CObjectManager& objects, SObjectSnapshot& snapshot)
{
	const SScriptSpan span(engine.getScriptManager());
	// What earlier frames had no time for comes first, in the order it was asked for.
	engine.runWaitingCreated();
	ScriptEventQueue& queue = engine.getEventQueue();
	SScriptEvent update;
	update.callbackId = script::ESC_UPDATE;
	queue.push_back(update);

	if (script::SScriptBinding* client = engine.getClientBinding())
		client->runQueuedEvents(queue, engine.getPlayerObject());

	takeSnapshot(objects, snapshot);
	for (size_t i = 0; i < snapshot.entries.size(); ++i)
	{
		prefetchAhead(objects, snapshot, i, CSceneObject::ESP_MOTION);
		CSceneObject* object = currentObject(objects, snapshot, snapshot.entries[i]);
		if (!object)
			continue;
		// Its own script may remove it; the visit finishes on a live object.
		object->grab();
		CObjectClass* objectClass = object->getObjectClass();
		script::SScriptBinding* classBinding = objectClass ? objectClass->getBinding() : nullptr;
		script::SScriptBinding* ownBinding = object->getBindingWithCallbacks();
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
template <typename IdSet, typename Find, typename WriteId>
net::packet buildChangePacket(irr::u16 packetId, irr::u32 objectId, const IdSet& ids, Find find, WriteId writeId)
{
	net::packet out = net::packet::fromU16(packetId);
	out.append(net::packet::fromU32(objectId));
	for (const auto id : ids)
	{
		if (id < 0 || id > 0xFFFF)
			continue;
		const SAttribute* attribute = find(id);
		if (!attribute)
			continue;
		out.append(writeId(id));
		out.append(writeAttributeValue(*attribute));
	}
	return out;
}

void writeBackAndSend(CGameEngine& engine, CObjectManager& objects, SObjectSnapshot& snapshot)
{
	// Offline the packets would be dropped unsent: they are not built at all.
	const bool online = engine.isOnline();
	takeSnapshot(objects, snapshot);
	for (size_t i = 0; i < snapshot.entries.size(); ++i)
	{
		prefetchAhead(objects, snapshot, i, CSceneObject::ESP_POSITION);
		const irr::u32 id = snapshot.entries[i].first;
		CSceneObject* object = currentObject(objects, snapshot, snapshot.entries[i]);
		if (!object || !object->Physics.owner)
			continue;
		object->grab();
		CSceneObject::syncPositionFromBody(object);

		AttributeIdSet<irr::s32>& engineIds = object->getChangedEngineAttributes();
		AttributeIdSet<irr::u16>& classIds = object->getChangedClassAttributes();
		if (online && !engineIds.empty())
			engine.sendPacket(buildChangePacket(
				net::ECPI_ENGINE_ATTRIBUTES, id, engineIds,
				[object](irr::s32 attributeId) { return object->getEngineAttribute(attributeId); },
				[](irr::s32 attributeId) { return net::packet::fromU8(static_cast<irr::u8>(attributeId)); }));
		if (online && !classIds.empty())
			engine.sendPacket(buildChangePacket(
				net::ECPI_CLASS_ATTRIBUTES, id, classIds,
				[object](irr::u16 attributeId) { return object->getClassAttributes().findById(attributeId); },
				[](irr::u16 attributeId) { return net::packet::fromU16(attributeId); }));
		engineIds.clear();
		classIds.clear();
		object->drop();
	}
}

} // namespace

bool CGameEngine::update()
{
	const SScriptFrame scriptFrame(ScriptManager);
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
	// Kept between frames so the loops neither allocate nor walk the
	// registry while it stays the same.
	static SObjectSnapshot snapshot;

	forgetRemovedPlayer(*this, *objects);
	runScripts(*this, *objects, snapshot);

	// The time since the last frame, in fixed steps; the physics manager keeps the rest.
	const irr::u32 now = Device->getTimer()->getTime();
	if (CPhysicsManager* physics = CPhysicsManager::getInstance())
		physics->update(static_cast<irr::f32>(now - LastFrameTime) / 1000.0f);

	writeBackAndSend(*this, *objects, snapshot);

	// Before its init the camera has no device and stays where it is.
	if (CCameraManager* camera = CCameraManager::getInstance())
		camera->update();

	LastFrameTime = Device->getTimer()->getTime();
	return true;
}

} // namespace orv
