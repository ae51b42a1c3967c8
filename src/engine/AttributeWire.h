#ifndef ORV_ENGINE_ATTRIBUTE_WIRE_H
#define ORV_ENGINE_ATTRIBUTE_WIRE_H

#include "engine/SAttribute.h"
#include "net/packet.h"

namespace orv {

//! The attribute's value in the wire form SAttribute::readValue takes back:
//! the type byte, then the value.
orv::net::packet writeAttributeValue(const SAttribute& attribute);

} // namespace orv

#endif
