#pragma once

#include <box2d/box2d.h>
#include <irrTypes.h>

#include "base/packet.h"

namespace orv {

//! The further arguments of OnBeginContact and OnEndContact: the other
//! object's id, 4 bytes big-endian.
net::packet makeContactArguments(irr::u32 otherId);

//! The further arguments of OnSolveContact: the other object's id, then the
//! normal, the first and the second point, each coordinate as the 4 big-endian
//! bytes of its float bits. Physics units, not pixels.
net::packet makeSolveContactArguments(
	irr::u32 otherId, const b2Vec2& normal, const b2Vec2& selfPoint, const b2Vec2& otherPoint);

} // namespace orv
