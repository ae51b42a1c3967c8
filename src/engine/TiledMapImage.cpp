#include "engine/TiledMapImage.h"

#include "engine/CGameEngine.h"
#include "engine/CTiledImage.h"
#include "engine/CTiledSceneObject.h"

namespace orv {

CImage* buildTiledMapImage(CGameEngine& engine, const CTiledSceneObject& object)
{
	if (object.getTileset().empty())
		return nullptr;
	CImage* tileset = engine.findImage(object.getTileset());
	irr::core::ustring16 mapName("TiledObject_");
	mapName += irr::core::ustring16(irr::core::stringc(object.getId()));
	// A picture file that happens to carry the map's name is no map.
	CTiledImage* map = dynamic_cast<CTiledImage*>(engine.getImage(EIT_TILED, mapName));
	if (!map)
		return nullptr;
	map->setMap(tileset, object.getTileWidth(), object.getTileHeight(), object.getColumns(), object.getRows(),
		object.getTiles());
	map->createTextures();
	return map;
}

} // namespace orv
