#pragma once

#include "net/CNetParse.h"

namespace orv {

//! The parser of the login phase: a server error also ends the connection, and id 5 with "2D"
//! moves the client into the game phase.
class CNetParse_Login : public CNetParse
{
public:
	explicit CNetParse_Login(INetParseHost& host) : CNetParse(host) {}

	irr::core::ustring16 getName() const override { return irr::core::ustring16("Login"); }

	bool onServerError(net::packet& packet) override;
	bool onSwitchParser(net::packet& packet) override;
};

} // namespace orv
