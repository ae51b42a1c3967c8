#pragma once
// A level's collision shapes join their object within the world's bound on
// shapes (world/ShapeBounds.h); a level past it says so once a game. Its
// objects take their places only as the world syncs them, so a pile is the
// world's to find as it steps.

#include <string>

#include <irrTypes.h>

#include "world/ShapeBounds.h"

class b2Shape;

namespace orv {

class CSceneObject;

//! Adds the shape, fitted by the physics guard already, to the object's body
//! as a fixture of that material, or the bound that refused it, which the
//! first time a game is said on "level" after `where` ("Level x.xml, object
//! (5)").
EShapeRoom addLevelShape(CSceneObject& object, const b2Shape& shape, irr::f32 density, irr::f32 friction,
	irr::f32 restitution, const std::string& where);

} // namespace orv
