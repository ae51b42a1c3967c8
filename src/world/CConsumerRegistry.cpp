#include "world/CConsumerRegistry.h"

#include <vector>

#include "world/IConsumer.h"

namespace orv {

void CConsumerRegistry::registerConsumer(irr::s32 kind, IConsumer* consumer)
{
	if (consumer)
		Consumers[kind].insert(consumer);
}

void CConsumerRegistry::unregisterConsumer(IConsumer* consumer)
{
	for (auto& entry : Consumers)
		entry.second.erase(consumer);
}

void CConsumerRegistry::notifyConsumers(irr::s32 kind, net::packet& data)
{
	// A consumer may let go of things in consume whose destructors unregister
	// other consumers: walk a snapshot and skip whoever left meanwhile.
	const auto deliver = [&](irr::s32 setKind, irr::s32 deliveredKind) {
		const std::set<IConsumer*>& registered = Consumers[setKind];
		const std::vector<IConsumer*> snapshot(registered.begin(), registered.end());
		for (IConsumer* consumer : snapshot)
			if (Consumers[setKind].count(consumer))
				consumer->consume(deliveredKind, data);
	};
	deliver(kind, kind);
	if (kind != 0)
		deliver(0, 0);
}

} // namespace orv
