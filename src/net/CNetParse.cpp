#include "net/CNetParse.h"

#include "base/Refusal.h"
#include "net/CFileTransfers.h"
#include "net/CServerHoldings.h"
#include "net/DownloadName.h"
#include "net/INetParseHost.h"
#include "net/ReceiveWork.h"
#include "net/ServerBounds.h"
#include "world/CAttributeList.h"
#include "world/CObjectManager.h"
#include "world/SAttribute.h"

#include <IGUIEnvironment.h>
#include <ILogger.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace orv {

void CNetParse::log(const char* channel, const std::string& message, irr::ELOG_LEVEL level)
{
	irr::IrrlichtDevice* device = Host.getDevice();
	if (device && device->getLogger())
		device->getLogger()->log(channel, message.c_str(), level);
}

const irr::core::ustring16& CNetParse::scriptSection()
{
	static const irr::core::ustring16 section("main");
	return section;
}

const CNetParse::Handler CNetParse::Handlers[CNetParse::HandlerCount] = {
	&CNetParse::onIgnored,
	&CNetParse::onServerError,
	&CNetParse::onFileStart,
	&CNetParse::onFileData,
	&CNetParse::onFileEnd,
	&CNetParse::onSwitchParser,
	&CNetParse::onMainScript,
	&CNetParse::onAddClass,
	&CNetParse::onAddClassAttribute,
	&CNetParse::onClassScript,
	&CNetParse::onAddServerAttribute,
	&CNetParse::onChangeServerProperty,
	&CNetParse::onAddObject,
	&CNetParse::onDeleteObject,
	&CNetParse::onChangeObjectAttribute,
	&CNetParse::onSyncObject,
	&CNetParse::onObjectScript,
	&CNetParse::onSetPlayer,
	&CNetParse::onPhysicsShape,
};

namespace {

//! Which limit of the transfers a refusal met, and its kind of refusal.
std::string limitPassed(EFileTransferResult result, const SFileTransferLimits& limits, const char*& kind)
{
	switch (result)
	{
	case EFTR_TOO_LARGE:
		kind = "net: file size";
		return "the file exceeds " + std::to_string(limits.fileBytes >> 20) + " MiB.";
	case EFTR_ALL_TOO_LARGE:
		kind = "net: transfer memory";
		return "the open transfers together would exceed " + std::to_string(limits.totalBytes >> 20) + " MiB.";
	case EFTR_DISK_FULL:
		kind = "net: download disk";
		return "the download folders would hold more than " + std::to_string(limits.diskBytes >> 20) + " MiB.";
	default:
		kind = "net: open transfers";
		return std::to_string(limits.openTransfers) + " transfers are open already.";
	}
}

//! One line for the first refusal of its kind until the next connection.
void refuseTransfer(const char* verb, irr::u16 id, EFileTransferResult result, const SFileTransferLimits& limits)
{
	const char* kind = nullptr;
	const std::string why = limitPassed(result, limits, kind);
	reportRefusalOnce("net", kind, std::string(verb) + " file transfer " + std::to_string(id) + ": " + why);
}

} // namespace

std::size_t CNetParse::restTextBytes(const net::packet& packet)
{
	const irr::u8* rest = packet.getData() + packet.getReadPosition();
	const void* end = std::memchr(rest, 0, packet.getBytesLeft());
	return end ? static_cast<const irr::u8*>(end) - rest : packet.getBytesLeft();
}

bool CNetParse::admitName(const net::packet& packet, const char* what)
{
	const std::size_t bytes = restTextBytes(packet);
	return net::admit(net::ESB_NAME_BYTES, 0, bytes, std::string(what) + " of " + std::to_string(bytes) + " bytes");
}

bool CNetParse::admitValue(const SAttribute& attribute, const net::packet& packet, const std::string& subject)
{
	if (typeAhead(packet) != EAT_STRING || packet.getBytesLeft() < 2)
		return true;
	// A text value: the type byte, the width of its length, the length.
	const irr::u8* value = packet.getData() + packet.getReadPosition();
	const irr::u32 width = value[1];
	irr::u64 length = 0;
	for (irr::u32 i = 0; i < width && i < 8 && 2 + i < packet.getBytesLeft(); ++i)
		length = (length << 8) | value[2 + i];
	const std::size_t bytes = static_cast<std::size_t>(std::min<irr::u64>(length, packet.getBytesLeft()));
	if (!net::admit(net::ESB_TEXT_BYTES, 0, bytes, subject))
		return false;
	// Held as UTF-16: at most two bytes for each byte on the wire.
	const std::size_t before = CServerHoldings::textBytes(attribute);
	const std::size_t after = 2 * bytes;
	CObjectManager* objects = CObjectManager::getInstance();
	return after <= before || !objects ||
		Host.getHoldings().admit(net::ESB_TEXTS_HELD_BYTES, *objects, after - before, subject);
}

bool CNetParse::admitAnotherValue(std::size_t values, const char* what, irr::u32 objectId)
{
	if (values < net::serverBound(net::ESB_PACKET_VALUES))
		return true;
	const std::string of = objectId != 0 ? " of object (" + std::to_string(objectId) + ")" : "";
	return net::admit(net::ESB_PACKET_VALUES, values, 1, std::string("the rest of ") + what + of);
}

void CNetParse::chargeSearch(const CAttributeList& attributes, const irr::core::ustring16& name)
{
	Host.getHoldings().addWork(net::searchWork(attributes.size(), 2 * name.size_raw()));
}

bool CNetParse::admitCode(std::size_t bytes, std::size_t held, const std::string& subject)
{
	if (!net::admit(net::ESB_SCRIPT_BYTES, 0, bytes, subject))
		return false;
	CObjectManager* objects = CObjectManager::getInstance();
	return bytes <= held || !objects ||
		Host.getHoldings().admit(net::ESB_SCRIPTS_HELD_BYTES, *objects, bytes - held, subject);
}

bool CNetParse::parse(net::packet& packet)
{
	const irr::u16 id = packet.readU16();
	if (id >= HandlerCount)
		return false;
	return (this->*Handlers[id])(packet);
}

bool CNetParse::onServerError(net::packet& packet)
{
	// Only the head of the text is shown, so only the head is decoded; the text ends at a NUL.
	const irr::u32 read = std::min(packet.getBytesLeft(), net::CServerErrorBoxes::MaxReadBytes);
	const irr::u8* head = packet.getData() + packet.getReadPosition();
	const bool ended = std::memchr(head, 0, read) != nullptr;
	const bool more = !ended && read < packet.getBytesLeft() && head[read] != 0;
	const irr::core::ustring16 text = packet.readChars(read);
	packet.setReadPosition(packet.getSize());
	irr::IrrlichtDevice* device = Host.getDevice();
	if (device && device->getGUIEnvironment())
		Host.getHoldings().getErrorBoxes().show(
			device->getGUIEnvironment(), net::CServerErrorBoxes::shownText(text, more));
	return true;
}

bool CNetParse::onFileStart(net::packet& packet)
{
	const irr::u16 id = packet.readU16();
	const irr::u8 kind = packet.readU8();
	const std::string name = readRest(packet).toUTF8_std();
	CFileTransfers& transfers = Host.getFileTransfers();
	const EFileTransferResult result = transfers.start(id, kind, name, Host.getDownloadRoot().c_str());
	if (result == EFTR_BAD_KIND)
		reportRefusalOnce("net", "net: file kinds",
			"Refused file transfer " + std::to_string(id) + ": kind " + std::to_string(kind) +
				" has no download folder.");
	else if (result == EFTR_BAD_NAME)
		reportRefusalOnce("net", "net: file names",
			"Refused file transfer " + std::to_string(id) + ": the name \"" + net::printableName(name) +
				"\" would leave the download folder.");
	else if (result != EFTR_OK)
		refuseTransfer("Refused", id, result, transfers.getLimits());
	return true;
}

bool CNetParse::onFileData(net::packet& packet)
{
	const irr::u16 id = packet.readU16();
	const net::packet bytes = packet.readPacket(packet.getBytesLeft());
	CFileTransfers& transfers = Host.getFileTransfers();
	const EFileTransferResult result = transfers.append(id, bytes.getData(), bytes.getSize());
	if (result == EFTR_TOO_LARGE || result == EFTR_ALL_TOO_LARGE || result == EFTR_DISK_FULL)
		refuseTransfer("Dropped", id, result, transfers.getLimits());
	return true;
}

bool CNetParse::onFileEnd(net::packet& packet)
{
	const irr::u16 id = packet.readU16();
	CFileTransfers& transfers = Host.getFileTransfers();
	const std::string path = transfers.getPath(id);
	// Its bytes are written over the passes that follow, which weigh them (CFrameDispatcher).
	irr::IrrlichtDevice* device = Host.getDevice();
	const EFileTransferResult result = transfers.finish(id, device ? device->getFileSystem() : nullptr);
	if (result == EFTR_WRITE_FAILED)
		log("net", "Could not write the downloaded file " + net::printableName(path) + ".", irr::ELL_ERROR);
	else if (result == EFTR_DISK_FULL)
		refuseTransfer("Dropped", id, result, transfers.getLimits());
	return true;
}

} // namespace orv
