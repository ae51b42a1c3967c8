#include "world/ContactArguments.h"

namespace orv {

net::packet makeContactArguments(irr::u32 otherId)
{
	return net::packet::fromU32(otherId);
}

net::packet makeSolveContactArguments(
	irr::u32 otherId, const b2Vec2& normal, const b2Vec2& selfPoint, const b2Vec2& otherPoint)
{
	net::packet arguments = net::packet::fromU32(otherId);
	for (const b2Vec2* v : {&normal, &selfPoint, &otherPoint})
	{
		arguments.append(net::packet::fromFloat(v->x));
		arguments.append(net::packet::fromFloat(v->y));
	}
	return arguments;
}

} // namespace orv
