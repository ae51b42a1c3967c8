#pragma once
// The server's side of a benchmark: packets as the server sends them, handed
// straight to the engine's current parser, and the world the benchmarks build
// from them.

#include <initializer_list>

#include "base/packet.h"
#include "engine/CGameEngine.h"
#include "net/CNetParse.h"

namespace orv {
namespace bench {

inline net::packet bytesOf(std::initializer_list<net::packet> parts)
{
	net::packet all;
	for (const net::packet& part : parts)
		all.append(part);
	return all;
}

inline void dispatch(CGameEngine& engine, net::packet packet)
{
	packet.setReadPosition(0);
	engine.getParsers().get()->parse(packet);
}

//! The class "mover" with an empty Update (packets 7 and 9).
inline void defineMover(CGameEngine& engine)
{
	dispatch(engine, bytesOf({net::packet::fromU16(7), net::packet::fromText("mover")}));
	dispatch(engine,
		bytesOf({net::packet::fromU16(9), net::packet::fromU8(5), net::packet::fromText("mover"),
			net::packet::fromText("void Update(SceneObject@+ self, uint t) {}")}));
}

//! An object of the class "mover" (packet 12) placed at x and y in pixels (packet 15).
inline void addMover(CGameEngine& engine, irr::u32 id, irr::u8 type, irr::f32 x, irr::f32 y)
{
	dispatch(engine,
		bytesOf({net::packet::fromU16(12), net::packet::fromU32(id), net::packet::fromU8(type),
			net::packet::fromText("mover")}));
	dispatch(engine,
		bytesOf({net::packet::fromU16(15), net::packet::fromU32(id), net::packet::fromU8(2), net::packet::fromU8(3),
			net::packet::fromFloat(x), net::packet::fromU8(3), net::packet::fromU8(3), net::packet::fromFloat(y)}));
}

} // namespace bench
} // namespace orv
