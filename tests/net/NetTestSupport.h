#pragma once

// Small doubles for the receive path: a parser that keeps its packets, a host that keeps what the handlers asked of it, and a block writer that scrambles and
// compresses the way a server does.

#include "net/CFileTransfers.h"
#include "net/CNetParse.h"
#include "net/CPacketCipher.h"
#include "net/CParserSlot.h"
#include "net/CServerHoldings.h"
#include "net/INetParseHost.h"

#include <bzlib.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace orv {
namespace rxtest {

typedef std::vector<irr::u8> Bytes;

inline Bytes bytesOf(const std::string& text)
{
	return Bytes(text.begin(), text.end());
}

inline Bytes concat(std::initializer_list<Bytes> parts)
{
	Bytes all;
	for (const Bytes& part : parts)
		all.insert(all.end(), part.begin(), part.end());
	return all;
}

//! Keeps every packet it is handed, as it was handed.
class CRecordingParser : public CNetParse
{
public:
	CRecordingParser(INetParseHost& host, std::vector<Bytes>& packets) : CNetParse(host), Packets(packets) {}
	bool parse(net::packet& packet) override
	{
		Packets.emplace_back(packet.getData(), packet.getData() + packet.getSize());
		return true;
	}

private:
	std::vector<Bytes>& Packets;
};

//! Records what the handlers ask for, in order.
class CTestNetHost : public INetParseHost
{
public:
	irr::IrrlichtDevice* Device = nullptr;
	std::string Root;
	CFileTransfers Transfers;
	CServerHoldings Holdings;
	CParserSlot Parsers;
	std::vector<std::string> Calls;
	bool Online = false;
	bool Running = false;

	irr::IrrlichtDevice* getDevice() override { return Device; }
	irr::core::stringc getDownloadRoot() override { return Root.c_str(); }
	CFileTransfers& getFileTransfers() override { return Transfers; }
	CServerHoldings& getHoldings() override { return Holdings; }
	void closeConnection() override { Calls.push_back("close"); }
	void installPlayReceiver() override { Calls.push_back("receiver"); }
	void setOnline(bool online) override
	{
		Online = online;
		Calls.push_back("online");
	}
	void setGameRunning(bool running) override
	{
		Running = running;
		Calls.push_back("running");
	}
	void replaceParser(CNetParse* next) override
	{
		Calls.push_back("parser");
		Parsers.replace(next);
	}
};

//! A frame with the fewest length bytes.
inline Bytes frame(const Bytes& payload)
{
	const irr::u32 n = static_cast<irr::u32>(payload.size());
	irr::u8 width = 1;
	for (irr::u32 rest = n >> 8; rest; rest >>= 8)
		++width;
	Bytes out{width};
	for (int i = width - 1; i >= 0; --i)
		out.push_back(static_cast<irr::u8>(n >> (8 * i)));
	out.insert(out.end(), payload.begin(), payload.end());
	return out;
}

//! Writes blocks as the server does: compress, scramble the head, prefix length and type.
/** It keeps its own outgoing keystream, which must meet the client's incoming one block by block. */
class CBlockWriter
{
public:
	net::CPacketCipher Cipher;

	explicit CBlockWriter(irr::u8 key = 0) { Cipher.reset(key); }

	static Bytes zlib(const Bytes& raw)
	{
		uLongf size = compressBound(static_cast<uLong>(raw.size()));
		Bytes out(size);
		compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6);
		out.resize(size);
		return out;
	}

	static Bytes bzip2(const Bytes& raw)
	{
		unsigned int size = static_cast<unsigned int>(raw.size() + raw.size() / 100 + 600);
		Bytes out(size);
		BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(out.data()), &size,
			const_cast<char*>(reinterpret_cast<const char*>(raw.data())), static_cast<unsigned int>(raw.size()), 1, 0,
			30);
		out.resize(size);
		return out;
	}

	//! A block of \p type around a payload that is already in its compressed form.
	Bytes block(irr::u8 type, Bytes payload)
	{
		Cipher.setWordsForCompression(type);
		Cipher.apply(payload.data(), static_cast<irr::u32>(payload.size()));
		const irr::u32 length = static_cast<irr::u32>(payload.size()) + 1;
		Bytes out{static_cast<irr::u8>(length >> 8), static_cast<irr::u8>(length), type};
		out.insert(out.end(), payload.begin(), payload.end());
		return out;
	}

	Bytes raw(const Bytes& frames) { return block(0, frames); }
	Bytes zlibBlock(const Bytes& frames) { return block(2, zlib(frames)); }
	Bytes bzip2Block(const Bytes& frames) { return block(4, bzip2(frames)); }
};

} // namespace rxtest
} // namespace orv
