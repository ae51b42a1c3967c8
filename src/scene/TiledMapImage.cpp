#include "scene/TiledMapImage.h"

#include <algorithm>
#include <deque>
#include <unordered_set>

#include "scene/C2DImageSceneNode.h"
#include "scene/CTiledImage.h"
#include "scene/ISceneHost.h"
#include "scene/picture/ImageSizeGuard.h"
#include "world/CObjectManager.h"
#include "world/CTiledSceneObject.h"

namespace orv {

namespace {

struct SRebuildBudget
{
	irr::u64 PixelsAFrame = TILED_MAP_PIXELS_A_FRAME;
	irr::u64 PixelsKept = TILED_MAP_PIXELS_KEPT;
	irr::u64 Pixels = TILED_MAP_PIXELS_KEPT;
	// Objects by id: one removed while its map waits is not composed.
	std::deque<irr::u32> Waiting;
	std::unordered_set<irr::u32> WaitingIds;
	irr::u64 Rebuilds = 0;
};

SRebuildBudget budget;

irr::u64 pixelsOf(const CTiledSceneObject& object)
{
	irr::core::dimension2du size(0, 0);
	if (!computeTiledImageSize(
			object.getTileWidth(), object.getTileHeight(), object.getColumns(), object.getRows(), size))
		return 0;
	return irr::u64(size.Width) * size.Height;
}

// A full budget composes any map: none is larger than it keeps.
bool fits(irr::u64 pixels)
{
	return pixels <= budget.Pixels || budget.Pixels >= budget.PixelsKept;
}

void rebuild(ISceneHost& host, const CTiledSceneObject& object, irr::u64 pixels)
{
	budget.Pixels -= std::min(pixels, budget.Pixels);
	++budget.Rebuilds;
	CImage* map = buildTiledMapImage(host, object);
	// A node already showing the map rebuilt when the new textures were announced.
	irr::scene::ISceneNode* node = host.findSceneNode(const_cast<CTiledSceneObject*>(&object));
	if (map && node && node->getType() == C2DImageSceneNode::NODE_TYPE)
	{
		C2DImageSceneNode* imageNode = static_cast<C2DImageSceneNode*>(node);
		if (imageNode->getImage() != map)
			imageNode->setImage(map);
	}
}

} // namespace

CImage* buildTiledMapImage(ISceneHost& host, const CTiledSceneObject& object)
{
	if (object.getTileset().empty())
		return nullptr;
	CImage* tileset = host.findImage(object.getTileset());
	irr::core::ustring16 mapName("TiledObject_");
	mapName += irr::core::ustring16(irr::core::stringc(object.getId()));
	// A picture file that happens to carry the map's name is no map.
	CTiledImage* map = dynamic_cast<CTiledImage*>(host.getImage(EIT_TILED, mapName));
	if (!map)
		return nullptr;
	map->setMap(tileset, object.getTileWidth(), object.getTileHeight(), object.getColumns(), object.getRows(),
		object.getTiles());
	map->createTextures();
	return map;
}

void rebuildTiledMapImage(ISceneHost& host, const CTiledSceneObject& object)
{
	// One waiting is composed from its fields as they are when its turn comes.
	if (budget.WaitingIds.count(object.getId()))
		return;
	const irr::u64 pixels = pixelsOf(object);
	if (budget.Waiting.empty() && fits(pixels))
		return rebuild(host, object, pixels);
	budget.Waiting.push_back(object.getId());
	budget.WaitingIds.insert(object.getId());
}

void composeWaitingTiledMaps(ISceneHost& host)
{
	budget.Pixels = std::min(budget.Pixels + budget.PixelsAFrame, budget.PixelsKept);
	const CObjectManager* objects = CObjectManager::getExistingInstance();
	while (!budget.Waiting.empty())
	{
		const irr::u32 id = budget.Waiting.front();
		CSceneObject* object = objects ? objects->getSceneObject(id) : nullptr;
		const CTiledSceneObject* tiled = object && object->getType() == ESOT_TILED
			? static_cast<const CTiledSceneObject*>(object)
			: nullptr;
		const irr::u64 pixels = tiled ? pixelsOf(*tiled) : 0;
		if (tiled && !fits(pixels))
			return;
		budget.Waiting.pop_front();
		budget.WaitingIds.erase(id);
		if (tiled)
			rebuild(host, *tiled, pixels);
	}
}

irr::u64 countTiledMapRebuilds()
{
	return budget.Rebuilds;
}

void setTiledMapBudget(irr::u64 pixelsAFrame, irr::u64 pixelsKept)
{
	budget = SRebuildBudget();
	if (pixelsAFrame && pixelsKept)
	{
		budget.PixelsAFrame = pixelsAFrame;
		budget.PixelsKept = pixelsKept;
		budget.Pixels = pixelsKept;
	}
}

} // namespace orv
