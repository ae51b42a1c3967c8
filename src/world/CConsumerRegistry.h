#pragma once
// Who hears the world's notifications: consumers entered by kind, told in
// order of kind, then kind 0.

#include <map>
#include <set>

#include <irrTypes.h>

namespace orv {

namespace net {
class packet;
}

class IConsumer;

//! The consumers of each notification kind (see IConsumer for the kinds).
/** Holds no ownership: a consumer unregisters itself before it goes. */
class CConsumerRegistry
{
public:
	//! Enters the consumer under the kind; once per kind however often it comes.
	void registerConsumer(irr::s32 kind, IConsumer* consumer);
	//! Takes the consumer out of every kind.
	void unregisterConsumer(IConsumer* consumer);
	//! The consumers of the kind receive the data, then, for a kind other
	//! than 0, the consumers of kind 0 as kind 0; all see the same packet.
	void notifyConsumers(irr::s32 kind, net::packet& data);

private:
	std::map<irr::s32, std::set<IConsumer*>> Consumers;
};

} // namespace orv
