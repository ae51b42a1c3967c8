#pragma once

#include "world/CAttributeList.h"

namespace orv {

//! Ids of the attributes every scene object carries; client and server agree on them.
enum EEngineAttribute
{
	EP_LEVEL = 1,
	EP_X = 2,
	EP_Y = 3,
	EP_Z = 4,
	EP_SCALE_X = 5,
	EP_SCALE_Y = 6,
	EP_VELOCITY_X = 7,
	EP_VELOCITY_Y = 8,
	EP_FORCE_X = 9,
	EP_FORCE_Y = 10,
	EP_TORQUE = 11,
	EP_ROTATION = 12,
	EP_DIRECTION = 13,
	EP_IMAGE = 14
};

//! Puts the fourteen engine attributes with their defaults into the list; one
//! already there under its name takes the default and keeps its id.
void setEngineAttributeDefaults(CAttributeList& list);

} // namespace orv
