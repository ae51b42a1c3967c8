#include "net/CNetParse.h"

#include "base/Refusal.h"
#include "net/CFileTransfers.h"
#include "net/INetParseHost.h"

#include <IGUIEnvironment.h>
#include <ILogger.h>

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

//! A server's name as it may go to the console: control characters would let it write there.
std::string printable(std::string text)
{
	for (char& c : text)
		if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
			c = '?';
	return text;
}

//! Which limit of the open transfers a refusal met.
std::string limitPassed(EFileTransferResult result, const SFileTransferLimits& limits)
{
	switch (result)
	{
	case EFTR_TOO_LARGE:
		return "the file exceeds " + std::to_string(limits.fileBytes >> 20) + " MiB.";
	case EFTR_ALL_TOO_LARGE:
		return "the open transfers together would exceed " + std::to_string(limits.totalBytes >> 20) + " MiB.";
	default:
		return std::to_string(limits.openTransfers) + " transfers are open already.";
	}
}

} // namespace

bool CNetParse::parse(net::packet& packet)
{
	const irr::u16 id = packet.readU16();
	if (id >= HandlerCount)
		return false;
	return (this->*Handlers[id])(packet);
}

bool CNetParse::onServerError(net::packet& packet)
{
	const irr::core::ustring16 text = readRest(packet);
	irr::IrrlichtDevice* device = Host.getDevice();
	if (device && device->getGUIEnvironment())
		device->getGUIEnvironment()->addMessageBox(
			L"Error", text.toWCHAR_s().c_str(), false, irr::gui::EMBF_OK, nullptr, -1, nullptr);
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
		reportRefusal("net",
			"Refused file transfer " + std::to_string(id) + ": kind " + std::to_string(kind) +
				" has no download folder.");
	else if (result == EFTR_BAD_NAME)
		reportRefusal("net",
			"Refused file transfer " + std::to_string(id) + ": the name \"" + printable(name) +
				"\" would leave the download folder.");
	else if (result != EFTR_OK)
		reportRefusal(
			"net", "Refused file transfer " + std::to_string(id) + ": " + limitPassed(result, transfers.getLimits()));
	return true;
}

bool CNetParse::onFileData(net::packet& packet)
{
	const irr::u16 id = packet.readU16();
	const net::packet bytes = packet.readPacket(packet.getBytesLeft());
	CFileTransfers& transfers = Host.getFileTransfers();
	const EFileTransferResult result = transfers.append(id, bytes.getData(), bytes.getSize());
	if (result == EFTR_TOO_LARGE || result == EFTR_ALL_TOO_LARGE)
		reportRefusal(
			"net", "Dropped file transfer " + std::to_string(id) + ": " + limitPassed(result, transfers.getLimits()));
	return true;
}

bool CNetParse::onFileEnd(net::packet& packet)
{
	const irr::u16 id = packet.readU16();
	CFileTransfers& transfers = Host.getFileTransfers();
	const std::string path = transfers.getPath(id);
	irr::IrrlichtDevice* device = Host.getDevice();
	if (transfers.finish(id, device ? device->getFileSystem() : nullptr) == EFTR_WRITE_FAILED)
		log("net", "Could not write the downloaded file " + printable(path) + ".", irr::ELL_ERROR);
	return true;
}

} // namespace orv
