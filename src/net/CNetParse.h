#pragma once

#include "base/packet.h"
#include "base/ustring16.h"
#include "net/PacketIds.h"

#include <ILogger.h>

#include <cstddef>
#include <string>

namespace orv {

class INetParseHost;
class CAttributeList;
class CObjectManager;
struct SAttribute;

//! Hands every packet from the server to the handler of its 16-bit id.
/** The login-phase and game-phase parsers derive from it and override single handlers; the table of
    handlers is shared and reaches every handler through the virtual table, so an override is what a
    dispatched id runs. Every handler returns true whatever it found. */
class CNetParse
{
public:
	typedef bool (CNetParse::*Handler)(net::packet& packet);

	//! Ids 0 to 18 have a handler; larger ids are refused.
	static const irr::u16 HandlerCount = net::ESPI_COUNT;

	explicit CNetParse(INetParseHost& host) : Host(host) {}
	virtual ~CNetParse() = default;

	CNetParse(const CNetParse&) = delete;
	CNetParse& operator=(const CNetParse&) = delete;

	virtual irr::core::ustring16 getName() const { return irr::core::ustring16("Default"); }

	//! Reads the packet id (0 when fewer than 2 bytes remain) and runs its handler.
	/** False for an id of 19 or more, whose 2 bytes stay consumed. */
	virtual bool parse(net::packet& packet);

	virtual bool onIgnored(net::packet& packet) { return true; }
	virtual bool onServerError(net::packet& packet);
	virtual bool onFileStart(net::packet& packet);
	virtual bool onFileData(net::packet& packet);
	virtual bool onFileEnd(net::packet& packet);
	virtual bool onSwitchParser(net::packet& packet) { return onIgnored(packet); }
	// Classes, attributes and script code (CNetParse_classes.cpp).
	virtual bool onMainScript(net::packet& packet);
	virtual bool onAddClass(net::packet& packet);
	virtual bool onAddClassAttribute(net::packet& packet);
	virtual bool onClassScript(net::packet& packet);
	virtual bool onAddServerAttribute(net::packet& packet);
	virtual bool onChangeServerProperty(net::packet& packet);
	// Objects and their shapes (CNetParse_objects.cpp).
	virtual bool onAddObject(net::packet& packet);
	virtual bool onDeleteObject(net::packet& packet);
	virtual bool onChangeObjectAttribute(net::packet& packet);
	virtual bool onSyncObject(net::packet& packet);
	virtual bool onObjectScript(net::packet& packet);
	virtual bool onSetPlayer(net::packet& packet);
	virtual bool onPhysicsShape(net::packet& packet);

protected:
	//! The rest of the packet as text: the reading that every "rest of the packet" field uses.
	static irr::core::ustring16 readRest(net::packet& packet) { return packet.readChars(packet.getSize()); }

	//! The type byte of the value at the read position, for the line that tells why it was refused.
	static unsigned typeAhead(const net::packet& packet)
	{
		return packet.getBytesLeft() ? packet.getData()[packet.getReadPosition()] : 0u;
	}

	//! The bytes of the rest of the packet as text reads them (up to a NUL), without decoding them.
	static std::size_t restTextBytes(const net::packet& packet);

	//! Whether the attribute may take the value at the read position: a text value within its bound,
	//! and within what the server's texts may hold together. Refused with its line otherwise.
	bool admitValue(const SAttribute& attribute, const net::packet& packet, const std::string& subject);

	//! Whether the name that takes the rest of the packet is short enough for every copy made of it.
	static bool admitName(const net::packet& packet, const char* what);

	//! Whether a change packet that set `values` values may set one more. Past the bound the rest
	//! of the packet (`what`, "a change", of the object when one is named) is refused with its line.
	static bool admitAnotherValue(std::size_t values, const char* what, irr::u32 objectId = 0);

	//! Charges the frame with looking the name up among the list's attributes.
	void chargeSearch(const CAttributeList& attributes, const irr::core::ustring16& name);

	//! Whether a piece of script code of that many bytes may replace `held` bytes of code.
	bool admitCode(std::size_t bytes, std::size_t held, const std::string& subject);

	//! The section name under which server-sent code is compiled.
	static const irr::core::ustring16& scriptSection();

	//! One line on the device's logger: the channel word as its text, the message as its hint.
	void log(const char* channel, const std::string& message, irr::ELOG_LEVEL level = irr::ELL_INFORMATION);

	INetParseHost& Host;

private:
	//! An object the server asked for, within the bounds of what objects hold.
	void makeObject(CObjectManager& objects, irr::u32 id, irr::u8 type, const irr::core::ustring16& className);

	static const Handler Handlers[HandlerCount];
};

} // namespace orv
