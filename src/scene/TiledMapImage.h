#pragma once

#include <irrTypes.h>

namespace orv {

class CImage;
class ISceneHost;
class CTiledSceneObject;

//! (Re)builds the cached "TiledObject_<id>" image of a tiled object from its
//! tileset, tile size, map size and tile bytes as they stand now, and returns
//! it; null while the object names no tileset. An image that cannot be
//! composed from them keeps what it showed before.
CImage* buildTiledMapImage(ISceneHost& host, const CTiledSceneObject& object);

// Composing a map copies every pixel of it (the largest, 8192 pixels an
// edge, takes about 330 ms), and a script can change a map's tiles or tileset
// every frame with a call that costs it nothing. The frames earn a budget of
// pixels to compose changed maps again, kept up to the largest map: a map
// within it is composed at once, the rest wait in the order they changed.

//! Pixels the budget earns each frame.
const irr::u64 TILED_MAP_PIXELS_A_FRAME = irr::u64(4) << 20;
//! Pixels it keeps at most: as many as the largest map holds.
const irr::u64 TILED_MAP_PIXELS_KEPT = irr::u64(64) << 20;

//! The object's map changed: composed again now and shown on the object's
//! node when the budget has room for it, else once it has.
void rebuildTiledMapImage(ISceneHost& host, const CTiledSceneObject& object);
//! A frame begins: the budget earns its share, and maps that wait are
//! composed within it.
void composeWaitingTiledMaps(ISceneHost& host);
//! Maps composed again so far; for tests, which may set a budget of their own
//! (0, 0 restores the one above) and forget what waits.
irr::u64 countTiledMapRebuilds();
void setTiledMapBudget(irr::u64 pixelsAFrame, irr::u64 pixelsKept);

} // namespace orv
