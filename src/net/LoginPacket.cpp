#include "net/LoginPacket.h"

#include <cstdlib>

#include "base/ustring16.h"
#include "net/CPacketCipher.h"
#include "net/CSendQueue.h"
#include "net/PacketIds.h"

namespace orv {
namespace net {

namespace {

const char clientVersion[] = "CL00000000";

LoginKeySource keySource = nullptr;

irr::u8 lengthWidth(irr::u32 length)
{
	irr::u8 width = 1;
	for (irr::u32 rest = length; (rest >>= 8) != 0;)
		++width;
	return width;
}

// One byte per UTF-16 code unit, its low 8 bits, behind a count byte.
void appendLoginText(packet& out, const irr::core::stringw& text)
{
	const std::u16string units(irr::core::ustring16(text).toUTF16_std());
	const irr::u32 count = units.size() < MaxLoginTextUnits ? static_cast<irr::u32>(units.size()) : MaxLoginTextUnits;
	out.append(packet::fromU8(static_cast<irr::u8>(count)));
	for (irr::u32 i = 0; i < count; ++i)
		out.append(packet::fromU8(static_cast<irr::u8>(units[i] & 0xFF)));
}

} // namespace

packet makeFrame(const packet& payload)
{
	const irr::u8 width = lengthWidth(payload.getSize());
	packet frame = packet::fromU8(width);
	frame.append(packet::fromInt(width, payload.getSize()));
	frame.appendBytes(payload.getData(), payload.getSize());
	return frame;
}

packet buildLoginPacket(const irr::core::stringw& userName, const irr::core::stringw& password, irr::u8 key)
{
	packet login = packet::fromU16(ECPI_LOGIN);
	login.append(packet::fromU8(0));
	login.append(packet::fromU8(key));
	login.appendText(clientVersion);
	appendLoginText(login, userName);
	appendLoginText(login, password);
	return login;
}

void setLoginKeySource(LoginKeySource source)
{
	keySource = source;
}

irr::u8 nextLoginKey()
{
	const int value = keySource ? keySource() : std::rand();
	return static_cast<irr::u8>(value & 0xFF);
}

void sendLogin(
	CSendQueue& queue, CPacketCipher& incoming, const irr::core::stringw& userName, const irr::core::stringw& password)
{
	incoming.reset(0);
	queue.resetCipher(0);
	const irr::u8 key = nextLoginKey();
	queue.push(makeFrame(buildLoginPacket(userName, password, key)));
	queue.flush();
	incoming.reset(key);
	queue.resetCipher(key);
}

} // namespace net
} // namespace orv
