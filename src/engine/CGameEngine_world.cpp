#include "engine/CGameEngine.h"

#include "engine/CFileBuffer.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include <IReadFile.h>
#include <ISceneManager.h>
#include <box2d/box2d.h>

#include "audio/IAudioManager.h"
#include "base/WholeFile.h"
#include "scene/C2DImageSceneNode.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CAnimation.h"
#include "scene/CStaticImage.h"
#include "scene/CTiledImage.h"
#include "scene/ContentPath.h"
#include "scene/SceneNodeSync.h"
#include "scene/TiledMapImage.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/EngineAttributes.h"
#include "world/SEventQueryCallback.h"

namespace orv {

using irr::core::ustring16;

namespace {

const irr::s32 KIND_OBJECT_REMOVED = 2;

// What an animation takes from the engine while it reads its file.
class CEngineAnimationContent : public IAnimationContent
{
public:
	explicit CEngineAnimationContent(CGameEngine& engine) : Engine(engine) {}
	CImage* findImage(const ustring16& name) override { return Engine.findImage(name); }
	audio::IAudioSource* getSound(const ustring16& name) override { return Engine.getSound(name); }

private:
	CGameEngine& Engine;
};

// Whether the fixture's shape, where its body stands, reaches into the circle.
bool touchesCircle(const b2Fixture* fixture, const b2CircleShape& circle)
{
	const b2Transform& at = fixture->GetBody()->GetTransform();
	const b2Transform still(b2Vec2(0.0f, 0.0f), b2Rot(0.0f));
	b2Manifold manifold;
	manifold.pointCount = 0;
	const b2Shape* shape = fixture->GetShape();
	switch (shape->GetType())
	{
	case b2Shape::e_circle:
		b2CollideCircles(&manifold, static_cast<const b2CircleShape*>(shape), at, &circle, still);
		return manifold.pointCount > 0;
	case b2Shape::e_edge:
		b2CollideEdgeAndCircle(&manifold, static_cast<const b2EdgeShape*>(shape), at, &circle, still);
		return manifold.pointCount > 0;
	case b2Shape::e_polygon:
		b2CollidePolygonAndCircle(&manifold, static_cast<const b2PolygonShape*>(shape), at, &circle, still);
		return manifold.pointCount > 0;
	case b2Shape::e_chain:
	{
		// Edge by edge: a chain touches when one of its edges does.
		const b2ChainShape* chain = static_cast<const b2ChainShape*>(shape);
		for (irr::s32 i = 0; i < chain->GetChildCount(); ++i)
		{
			b2EdgeShape edge;
			chain->GetChildEdge(&edge, i);
			manifold.pointCount = 0;
			b2CollideEdgeAndCircle(&manifold, &edge, at, &circle, still);
			if (manifold.pointCount > 0)
				return true;
		}
		return false;
	}
	default:
		return false;
	}
}

bool definesOnEvent(const CSceneObject* object)
{
	const script::CScriptModule* module = object->getModule();
	return module && object->getBinding() && module->getCallbackId(script::ESC_EVENT) >= 0;
}

} // namespace

CAnimation* CGameEngine::getAnimation(const ustring16& name)
{
	const auto found = Animations.find(name);
	if (found != Animations.end())
		return found->second;
	if (!AnimationMisses.mayLookFor(name))
		return nullptr;

	CAnimation* animation = nullptr;
	if (Device)
	{
		CEngineAnimationContent content(*this);
		try
		{
			animation = new CAnimation(name, Device->getFileSystem(), content);
		}
		catch (...)
		{
			animation = nullptr;
		}
	}
	// A name that failed once is not tried again.
	Animations[name] = animation;
	if (!animation)
		AnimationMisses.missed();
	return animation;
}

CImage* CGameEngine::getImage(irr::u32 type, const ustring16& name)
{
	const auto found = Images.find(name);
	if (found != Images.end())
		return found->second;

	// Tile maps are named by the engine, one an object.
	if (type == EIT_STATIC && !ImageMisses.mayLookFor(name))
		return nullptr;
	CImage* image = nullptr;
	if (type == EIT_STATIC)
		image = new CStaticImage(Device, name);
	else if (type == EIT_TILED)
		image = new CTiledImage(Device, name);
	else
		return nullptr;
	image->createTextures();
	Images[name] = image;
	if (type == EIT_STATIC && !image->getTexture(0))
		ImageMisses.missed();
	return image;
}

CImage* CGameEngine::findImage(const ustring16& name)
{
	const auto found = Images.find(name);
	if (found != Images.end() && found->second)
		return found->second;
	return getImage(EIT_STATIC, name);
}

audio::IAudioSource* CGameEngine::getSound(const ustring16& fileName)
{
	const auto found = Sounds.find(fileName);
	if (found != Sounds.end())
		return found->second;
	if (!SoundMisses.mayLookFor(fileName))
		return nullptr;
	// Whatever the outcome, it is kept: a sound that failed once is not
	// tried again.
	audio::IAudioSource*& cached = Sounds[fileName];
	// Counted as a miss from here on; a sound made at the end is taken back out.
	SoundMisses.missed();
	if (!AudioManager || !Device)
		return nullptr;
	irr::io::IReadFile* file = openContentFile(Device->getFileSystem(), fileName);
	if (!file)
		return nullptr;
	const std::string name = fileName.toUTF8_std();
	const std::string::size_type dot = name.rfind('.');
	// A sound is read whole: one larger than any the client reads whole is
	// refused.
	std::vector<char> bytes;
	const EWholeFileRead read = dot == std::string::npos ? EWFR_REFUSED
														 : readWholeFile(file, CFileBuffer::MAX_FILE_SIZE, bytes);
	file->drop();
	if (read == EWFR_REFUSED)
		return nullptr;
	cached = AudioManager->createFromMemory(
		name.c_str(), bytes.data(), static_cast<int>(bytes.size()), name.substr(dot + 1).c_str());
	if (cached)
		SoundMisses.found();
	return cached;
}

irr::scene::ISceneNode* CGameEngine::findSceneNode(CSceneObject* object)
{
	irr::scene::ISceneNode* node = nullptr;
	if (!object || object->recallSceneNode(SceneNodesRevision, node))
		return node;
	const auto found = SceneNodes.find(object);
	node = found == SceneNodes.end() ? nullptr : found->second;
	object->rememberSceneNode(node, SceneNodesRevision);
	return node;
}

CSceneObject* CGameEngine::addSceneObject(CSceneObject* object)
{
	if (!object || !Device)
		return object;
	// A second node would stay in the scene, unreachable from the map.
	if (SceneNodes.count(object))
		return object;

	irr::scene::ISceneManager* scene = Device->getSceneManager();
	irr::scene::ISceneNode* root = scene->getRootSceneNode();
	const ustring16 imageName = object->getEngineAttribute(EP_IMAGE)->getString();

	switch (object->getType())
	{
	case ESOT_STATIC:
	{
		object->setNodeSyncCallback(syncImageNode);
		C2DImageSceneNode* node = new C2DImageSceneNode(nullptr, root, scene);
		SceneNodes[object] = node;
		node->setSceneObject(object);
		node->drop();
		if (!imageName.empty())
			node->setImage(findImage(imageName));
		break;
	}
	case ESOT_ANIMATED:
	{
		object->setNodeSyncCallback(syncAnimatedNode);
		CAnimatedSpriteSceneNode* node = new CAnimatedSpriteSceneNode(root, scene);
		SceneNodes[object] = node;
		node->setSceneObject(object);
		node->drop();
		// Facing the way the level or the server says from its first frame; a
		// direction beyond any an animation has shows nothing.
		const irr::u64 direction = object->getEngineAttribute(EP_DIRECTION)->getUInt();
		node->setDirection(static_cast<irr::u32>(std::min<irr::u64>(direction, UINT32_MAX)));
		if (!imageName.empty())
			if (CAnimation* animation = getAnimation(imageName))
				if (animation->applyToNode(node, object))
					node->setStopped(false);
		break;
	}
	case ESOT_TILED:
	{
		object->setNodeSyncCallback(syncImageNode);
		C2DImageSceneNode* node = new C2DImageSceneNode(nullptr, root, scene);
		SceneNodes[object] = node;
		node->setSceneObject(object);
		node->drop();
		if (CImage* map = buildTiledMapImage(*this, *static_cast<CTiledSceneObject*>(object)))
			node->setImage(map);
		break;
	}
	default:
		object->setNodeSyncCallback(syncNoNode);
		break;
	}
	++SceneNodesRevision;

	if (script::CScriptModule* module = object->getModule())
		module->resolveCallbacks();
	object->Physics.owner = true;
	CSceneObject::syncFromBody(object);
	return object;
}

CSceneObject* CGameEngine::createSceneObject(irr::u32 id, irr::u32 type, const ustring16& className)
{
	CObjectManager* objects = CObjectManager::getInstance();
	CSceneObject* object = objects ? objects->createSceneObject(id, type, className) : nullptr;
	if (!object)
		return nullptr;
	return addSceneObject(object);
}

bool CGameEngine::removeSceneObject(irr::u32 id)
{
	CObjectManager* objects = CObjectManager::getExistingInstance();
	CSceneObject* object = (objects && id != 0) ? objects->getSceneObject(id) : nullptr;
	if (!object)
		return false;

	// Held until the end: the manager's reference may be the last one.
	object->grab();
	const auto node = SceneNodes.find(object);
	if (node != SceneNodes.end())
	{
		if (node->second)
			node->second->remove();
		SceneNodes.erase(node);
		++SceneNodesRevision;
	}
	if (PlayerObject == object)
		PlayerObject = nullptr;
	objects->remove(id);

	net::packet removed = net::packet::fromU32(id);
	notifyConsumers(KIND_OBJECT_REMOVED, removed);
	object->drop();
	return true;
}

irr::u32 CGameEngine::sendEvent(CSceneObject* sender, const ustring16& event, const ustring16& data,
	const irr::core::vector2df& origin, irr::f32 range)
{
	net::packet record = net::packet::fromU32(sender ? sender->getId() : 0);
	record.append(net::packet::fromFloat(origin.X));
	record.append(net::packet::fromFloat(origin.Y));
	record.append(net::packet::fromFloat(range));
	record.append(net::packet::fromString(event));
	record.append(net::packet::fromString(data));

	CPhysicsManager* physics = CPhysicsManager::getInstance();
	if (!physics || !physics->getWorld())
		return 0;
	const irr::f32 pixelsPerUnit = physics->getPixelsPerUnit();
	b2CircleShape circle;
	circle.m_p.Set(origin.X / pixelsPerUnit, origin.Y / pixelsPerUnit);
	circle.m_radius = range / pixelsPerUnit;
	const b2Vec2 reach(circle.m_radius, circle.m_radius);

	SEventQueryCallback query;
	physics->queryBox(query, circle.m_p - reach, circle.m_p + reach);

	// Every receiver is known and held before any script runs: a script may
	// change or remove objects, and with them the fixtures just reported.
	// A chain has a bounding box per edge and may be reported once per edge;
	// it is one fixture and receives once.
	std::vector<CSceneObject*> receivers;
	std::unordered_set<const b2Fixture*> seen;
	for (b2Fixture* fixture : query.Fixtures)
	{
		if (!seen.insert(fixture).second || !fixture->GetBody() || !touchesCircle(fixture, circle))
			continue;
		CSceneObject* object = CPhysicsManager::getBodyObject(fixture->GetBody());
		if (!object)
			continue;
		object->grab();
		receivers.push_back(object);
	}

	irr::u32 deliveries = 0;
	for (CSceneObject* object : receivers)
	{
		// A delivery the binding drops (too deeply nested, a module set
		// aside, the frame's script time gone) reached no one.
		if (definesOnEvent(object) && object->getBinding()->callCallback(script::ESC_EVENT, record, object))
			++deliveries;
		object->drop();
	}
	return deliveries;
}

void CGameEngine::destroyWorldCaches()
{
	for (auto& entry : Animations)
		delete entry.second;
	Animations.clear();
	for (auto& entry : Images)
		delete entry.second;
	Images.clear();
	// The audio manager holds its own reference to each while it lists it.
	for (auto& entry : Sounds)
		if (entry.second)
			entry.second->drop();
	Sounds.clear();
	AnimationMisses.clear();
	ImageMisses.clear();
	SoundMisses.clear();
}

} // namespace orv
