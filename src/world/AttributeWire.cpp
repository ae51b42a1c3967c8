#include "world/AttributeWire.h"

using orv::net::packet;

namespace orv {

namespace {

// Fewest bytes, 1 to 8, that hold the value.
irr::u8 integerWidth(irr::u64 value)
{
	irr::u8 width = 1;
	while (width < 8 && (value >> (8 * width)) != 0)
		++width;
	return width;
}

} // namespace

packet writeAttributeValue(const SAttribute& attribute)
{
	packet result = packet::fromU8(static_cast<irr::u8>(attribute.type));
	switch (attribute.type)
	{
	case EAT_FLOAT:
		result.append(packet::fromFloat(attribute.floatValue));
		break;
	case EAT_DOUBLE:
		result.append(packet::fromDouble(attribute.doubleValue));
		break;
	case EAT_STRING:
		result.append(packet::fromString(attribute.textValue));
		break;
	default:
	{
		const irr::u8 width = integerWidth(attribute.intValue);
		result.append(packet::fromU8(width));
		result.append(packet::fromInt(width, attribute.intValue));
		break;
	}
	}
	return result;
}

} // namespace orv
