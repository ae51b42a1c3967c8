#include "level/LevelShapes.h"

#include "base/Refusal.h"
#include "world/CSceneObject.h"

namespace orv {

EShapeRoom addLevelShape(CSceneObject& object, const b2Shape& shape, irr::f32 density, irr::f32 friction,
	irr::f32 restitution, const std::string& where)
{
	const EShapeRoom room = object.Physics.addFittedShape(shape, density, friction, restitution);
	if (room != ESR_FITS)
		reportRefusalOnce("level", "level: shapes",
			where + ": collision shapes past the world's " + std::to_string(MAX_WORLD_SHAPES) + " are skipped.");
	return room;
}

} // namespace orv
