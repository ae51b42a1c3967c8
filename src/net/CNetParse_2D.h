#pragma once

#include "net/CNetParse.h"

namespace orv {

//! The parser of the game phase: the base handlers; a server error leaves the connection open.
class CNetParse_2D : public CNetParse
{
public:
	explicit CNetParse_2D(INetParseHost& host) : CNetParse(host) {}

	irr::core::ustring16 getName() const override { return irr::core::ustring16("2D"); }

	bool onServerError(net::packet& packet) override { return CNetParse::onServerError(packet); }
};

} // namespace orv
