#ifndef ORV_ENGINE_TILED_MAP_IMAGE_H_INCLUDED
#define ORV_ENGINE_TILED_MAP_IMAGE_H_INCLUDED

namespace orv {

class CGameEngine;
class CImage;
class CTiledSceneObject;

//! (Re)builds the cached "TiledObject_<id>" image of a tiled object from its
//! tileset, tile size, map size and tile bytes as they stand now, and returns
//! it; null while the object names no tileset. An image that cannot be
//! composed from them keeps what it showed before.
CImage* buildTiledMapImage(CGameEngine& engine, const CTiledSceneObject& object);

} // namespace orv

#endif
