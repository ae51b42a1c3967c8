#include "scene/TiledMapImage.h"

#include "scene/CTiledImage.h"
#include "scene/ISceneHost.h"
#include "world/CTiledSceneObject.h"

namespace orv {

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

} // namespace orv
