#pragma once

#include "net/CNetParse.h"

#include <memory>

namespace orv {

//! Owns the current packet parser and swaps it without deleting a parser whose handler runs.
class CParserSlot
{
public:
	CNetParse* get() const { return Current.get(); }

	//! Takes ownership of \p next. During a dispatch the swap waits until the handler returned, so
	//! the next frame, not the rest of this one, meets the new parser.
	void replace(CNetParse* next);

	//! The current parser's parse of the packet; false without a parser.
	bool dispatch(net::packet& packet);

private:
	std::unique_ptr<CNetParse> Current;
	std::unique_ptr<CNetParse> Pending;
	bool Dispatching = false;
};

} // namespace orv
