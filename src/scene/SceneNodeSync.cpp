#include "scene/SceneNodeSync.h"

#include "scene/C2DImageSceneNode.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CAnimation.h"
#include "scene/ISceneHost.h"
#include "scene/TiledMapImage.h"
#include "world/CSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/EngineAttributes.h"

namespace orv {

namespace {

struct SChanges
{
	bool position;
	bool scale;
	bool image;
	bool rotation;
};

SChanges changesOf(const CSceneObject* object)
{
	// Every object is placed every frame and marks only a few ids: one walk
	// over them, not a search for each id asked about.
	SChanges changes{false, false, false, false};
	for (const irr::s32 id : object->getChangedEngineAttributes())
	{
		switch (id)
		{
		case EP_X:
		case EP_Y:
		case EP_Z:
			changes.position = true;
			break;
		case EP_SCALE_X:
		case EP_SCALE_Y:
			changes.scale = true;
			break;
		case EP_IMAGE:
			changes.image = true;
			break;
		case EP_ROTATION:
			changes.rotation = true;
			break;
		default:
			break;
		}
	}
	return changes;
}

irr::f32 value(const CSceneObject* object, irr::s32 id)
{
	return object->getEngineAttribute(id)->getFloat();
}

irr::scene::ISceneNode* nodeOf(CSceneObject* object, irr::scene::ESCENE_NODE_TYPE type)
{
	ISceneHost* host = getSceneHost();
	if (!host)
		return nullptr;
	irr::scene::ISceneNode* node = host->findSceneNode(object);
	return node && node->getType() == type ? node : nullptr;
}

void syncPlacement(CSceneObject* object, irr::scene::ISceneNode* node, const SChanges& changes)
{
	if (changes.position)
		node->setPosition(irr::core::vector3df(value(object, EP_X), value(object, EP_Y), -value(object, EP_Z)));
	if (changes.scale)
		node->setScale(irr::core::vector3df(value(object, EP_SCALE_X), value(object, EP_SCALE_Y), 1.0f));
}

void syncRotation(CSceneObject* object, irr::scene::ISceneNode* node, const SChanges& changes)
{
	if (changes.rotation)
		node->setRotation(irr::core::vector3df(0.0f, 0.0f, -value(object, EP_ROTATION)));
}

void syncImage(CSceneObject* object, C2DImageSceneNode* node)
{
	ISceneHost* host = getSceneHost();
	if (object->getType() == ESOT_TILED)
	{
		// A tiled object names no image: its tile fields changed, and its map
		// is composed again from them, within the frames' budget.
		rebuildTiledMapImage(*host, *static_cast<CTiledSceneObject*>(object));
		return;
	}
	if (CImage* image = host->findImage(object->getEngineAttribute(EP_IMAGE)->getString()))
		node->setImage(image);
}

} // namespace

void syncImageNode(CSceneObject* object)
{
	if (!object)
		return;
	const SChanges changes = changesOf(object);
	C2DImageSceneNode* node = static_cast<C2DImageSceneNode*>(nodeOf(object, C2DImageSceneNode::NODE_TYPE));
	if (!node)
		return;
	syncPlacement(object, node, changes);
	if (changes.image)
		syncImage(object, node);
	syncRotation(object, node, changes);
}

void syncAnimatedNode(CSceneObject* object)
{
	if (!object)
		return;
	const SChanges changes = changesOf(object);
	CAnimatedSpriteSceneNode* node = static_cast<CAnimatedSpriteSceneNode*>(
		nodeOf(object, CAnimatedSpriteSceneNode::NODE_TYPE));
	if (!node)
		return;
	syncPlacement(object, node, changes);
	if (changes.image)
	{
		CAnimation* animation = getSceneHost()->getAnimation(object->getEngineAttribute(EP_IMAGE)->getString());
		if (animation)
			animation->applyToNode(node, object);
	}
	else
	{
		node->setSceneObject(object);
	}
	syncRotation(object, node, changes);
}

void syncNoNode(CSceneObject*)
{
}

} // namespace orv
