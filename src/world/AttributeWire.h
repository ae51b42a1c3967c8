#pragma once

#include "base/packet.h"
#include "world/SAttribute.h"

namespace orv {

//! The attribute's value in the wire form SAttribute::readValue takes back:
//! the type byte, then the value.
orv::net::packet writeAttributeValue(const SAttribute& attribute);

} // namespace orv
