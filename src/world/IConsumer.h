#pragma once

#include <irrTypes.h>

namespace orv {

namespace net {
class packet;
}

//! A part of the world that reacts to notifications of one or more kinds.
/** Kinds in use: 1, an image rebuilt its textures (data: its name in UTF-8);
    2, a scene object was removed (data: its id, 4 bytes big-endian). Kind 0
    receives every notification after the consumers of its own kind. The
    registry (CConsumerRegistry) holds no ownership: a consumer unregisters
    itself before it goes. */
class IConsumer
{
public:
	virtual ~IConsumer() = default;
	//! The registry ignores the result.
	virtual bool consume(irr::s32 kind, net::packet& data) = 0;
};

} // namespace orv
