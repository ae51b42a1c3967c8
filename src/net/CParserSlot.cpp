#include "net/CParserSlot.h"

namespace orv {

void CParserSlot::replace(CNetParse* next)
{
	if (Dispatching)
		Pending.reset(next);
	else
		Current.reset(next);
}

bool CParserSlot::dispatch(net::packet& packet)
{
	if (!Current || Dispatching)
		return false;
	Dispatching = true;
	const bool result = Current->parse(packet);
	Dispatching = false;
	if (Pending)
		Current = std::move(Pending);
	return result;
}

} // namespace orv
