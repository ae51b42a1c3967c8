#pragma once

namespace orv {

class CImage;
class ISceneHost;
class CTiledSceneObject;

//! (Re)builds the cached "TiledObject_<id>" image of a tiled object from its
//! tileset, tile size, map size and tile bytes as they stand now, and returns
//! it; null while the object names no tileset. An image that cannot be
//! composed from them keeps what it showed before.
CImage* buildTiledMapImage(ISceneHost& host, const CTiledSceneObject& object);

} // namespace orv
