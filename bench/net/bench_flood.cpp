// What a hostile server's floods cost the client: for each, the engine on the null device reads the
// flood from a loopback peer, frame by frame as the program does, until a probe packet sent behind
// it has been handled. Printed per flood: the bytes on the wire, the frames that handled packets,
// the longest frame, the time until the probe, and the peak memory of a process that ran nothing
// else (each flood runs in a child), beside what it held before the flood.
//
// Run from a build without sanitizers. The online frame of a busy world is bench_online_frame's.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "net/CPacketCipher.h"
#include "net/CSocket.h"
#include "net/compression.h"
#include "support/FreshEngine.h"
#include "support/InChild.h"
#include "support/NoAudioDevice.h"

using namespace orv;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

// A flood that has not ended by then is reported as such.
const double GIVE_UP_SECONDS = 120.0;
const irr::u32 BLOCK_BYTES = 0xF000;

net::packet bytesOf(std::initializer_list<net::packet> parts)
{
	net::packet all;
	for (const net::packet& part : parts)
		all.append(part);
	return all;
}

net::packet text(const std::string& value)
{
	return net::packet::fromText(value.c_str());
}

net::packet filled(std::size_t count, char c)
{
	const std::string bytes(count, c);
	return net::packet::fromBytes(
		reinterpret_cast<const irr::u8*>(bytes.data()), reinterpret_cast<const irr::u8*>(bytes.data()) + bytes.size());
}

//! Writes the server's stream as packets come: their frames cut into blocks of BLOCK_BYTES (a frame
//! may span blocks), each compressed as its size asks, scrambled and framed, the keystream at key 0.
class CStreamWriter
{
public:
	CStreamWriter() { Cipher.reset(0); }

	void add(const net::packet& payload)
	{
		const irr::u32 n = payload.getSize();
		irr::u8 width = 1;
		for (irr::u32 rest = n >> 8; rest; rest >>= 8)
			++width;
		irr::u8 head[5] = {width};
		for (int i = 0; i < width; ++i)
			head[1 + i] = static_cast<irr::u8>(n >> (8 * (width - 1 - i)));
		addBytes(head, 1u + width);
		addBytes(payload.getData(), n);
	}

	//! Frames of width 0: an empty packet in a single byte.
	void addEmpty(std::size_t count)
	{
		const irr::u8 zero = 0;
		for (std::size_t i = 0; i < count; ++i)
			addBytes(&zero, 1);
	}

	const std::vector<irr::u8>& finish()
	{
		if (!Frames.empty())
			writeBlock();
		return Stream;
	}

private:
	void addBytes(const irr::u8* bytes, std::size_t count)
	{
		while (count != 0)
		{
			const std::size_t taken = std::min(count, BLOCK_BYTES - Frames.size());
			Frames.insert(Frames.end(), bytes, bytes + taken);
			bytes += taken;
			count -= taken;
			if (Frames.size() == BLOCK_BYTES)
				writeBlock();
		}
	}

	void writeBlock()
	{
		net::packet block = net::packet::fromBytes(Frames.data(), Frames.data() + Frames.size());
		irr::u8 type = 0;
		if (Frames.size() > 0x2000 && net::compressBzip2(block))
			type = 4;
		else if (Frames.size() > 0x37 && net::compressZlib(block))
			type = 2;
		Cipher.setWordsForCompression(type);
		Cipher.apply(block);
		const irr::u32 length = block.getSize() + 1;
		Stream.push_back(static_cast<irr::u8>(length >> 8));
		Stream.push_back(static_cast<irr::u8>(length));
		Stream.push_back(type);
		Stream.insert(Stream.end(), block.getData(), block.getData() + block.getSize());
		Frames.clear();
	}

	net::CPacketCipher Cipher;
	std::vector<irr::u8> Frames;
	std::vector<irr::u8> Stream;
};

//! Accepts one connection on loopback and writes the stream into it, as fast as the client reads.
class CFloodPeer
{
public:
	explicit CFloodPeer(const std::vector<irr::u8>& stream) : Stream(stream)
	{
		Listener = socket(AF_INET, SOCK_STREAM, 0);
		sockaddr_in address{};
		address.sin_family = AF_INET;
		address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
		bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
		listen(Listener, 1);
		socklen_t length = sizeof address;
		getsockname(Listener, reinterpret_cast<sockaddr*>(&address), &length);
		Port = ntohs(address.sin_port);
		Writer = std::thread([this] {
			Connection = accept(Listener, nullptr, nullptr);
			for (std::size_t at = 0; Connection >= 0 && at < Stream.size();)
			{
				const ssize_t sent = send(Connection, Stream.data() + at, Stream.size() - at, MSG_NOSIGNAL);
				if (sent <= 0)
					break;
				at += static_cast<std::size_t>(sent);
			}
			// What the client sends back is read and forgotten, so it never waits on its peer.
			char sink[1 << 16];
			while (Connection >= 0 && recv(Connection, sink, sizeof sink, 0) > 0)
			{
			}
		});
	}
	~CFloodPeer()
	{
		shutdown(Listener, SHUT_RDWR);
		close(Listener);
		if (Connection >= 0)
			shutdown(Connection, SHUT_RDWR);
		Writer.join();
		if (Connection >= 0)
			close(Connection);
	}
	unsigned port() const { return Port; }

private:
	const std::vector<irr::u8>& Stream;
	int Listener = -1;
	int Connection = -1;
	unsigned Port = 0;
	std::thread Writer;
};

struct SFigures
{
	double wireBytes;
	double frames;
	double longestFrameMs;
	double seconds;
	double peakRssMb;
	//! Before the flood: the engine started and the stream made.
	double startRssMb;
	bool ended;
};

struct SFlood
{
	const char* name;
	//! Whether the game phase starts before the flood.
	bool gamePhase;
	std::function<void(CStreamWriter&)> write;
};

double millisecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

SFigures runFlood(const SFlood& flood)
{
	bench::CFreshEngine fresh("flood");
	// The font and the window the program ships with: they decide what a message box costs.
	fs::create_directories(fresh.folder() / "fonts");
	fs::create_directories(fresh.folder() / "images" / "downloads");
	fs::create_directories(fresh.folder() / "ani");
	std::error_code ignored;
	fs::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", fresh.folder() / "fonts/DejaVuSans.ttf", ignored);
	if (std::FILE* settings = std::fopen((fresh.folder() / "settings.ini").c_str(), "w"))
	{
		std::fputs(
			"[Font]\ndefault = DejaVuSans.ttf\ndefault_size = 14\n[Window]\nheight = 600\nwidth = 800\n", settings);
		std::fclose(settings);
	}
	CGameEngine* engine = fresh.start();
	if (!engine)
		return SFigures{};

	CStreamWriter writer;
	if (flood.gamePhase)
		writer.add(bytesOf({net::packet::fromU16(5), text("2D")}));
	flood.write(writer);
	// The probe: a file no bound of a flood stands in the way of.
	writer.add(bytesOf({net::packet::fromU16(2), net::packet::fromU16(0xFFFF), net::packet::fromU8(0), text("probe")}));
	writer.add(bytesOf({net::packet::fromU16(4), net::packet::fromU16(0xFFFF)}));
	const fs::path probe = fresh.folder() / "images" / "downloads" / "probe";
	const std::vector<irr::u8>& stream = writer.finish();
	rusage usage;
	getrusage(RUSAGE_SELF, &usage);
	const double startRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;

	CFloodPeer peer(stream);
	net::CSocket* socket = engine->getSocket();
	if (socket->init("127.0.0.1", std::to_string(peer.port()).c_str()) != 0 || socket->connect() != 0)
		return SFigures{};
	engine->setOnline(true);

	SFigures figures{static_cast<double>(stream.size()), 0, 0, 0, 0, startRssMb, false};
	const Clock::time_point start = Clock::now();
	while (millisecondsSince(start) < GIVE_UP_SECONDS * 1000.0)
	{
		const Clock::time_point frame = Clock::now();
		engine->update();
		figures.longestFrameMs = std::max(figures.longestFrameMs, millisecondsSince(frame));
		figures.frames += engine->getLastReceiveWork().packets != 0;
		if (fs::exists(probe, ignored))
		{
			figures.ended = true;
			break;
		}
	}
	figures.seconds = millisecondsSince(start) / 1000.0;
	getrusage(RUSAGE_SELF, &usage);
	figures.peakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
	socket->destroy();
	return figures;
}

net::packet classAttribute(const std::string& className, irr::u16 id, const std::string& name)
{
	return bytesOf({net::packet::fromU16(8), net::packet::fromU8(static_cast<irr::u8>(className.size())),
		text(className), net::packet::fromU16(id), text(name)});
}

net::packet object(irr::u32 id, const std::string& className = "")
{
	return bytesOf({net::packet::fromU16(12), net::packet::fromU32(id), net::packet::fromU8(0), text(className)});
}

net::packet withId(irr::u16 packetId, std::initializer_list<net::packet> fields)
{
	net::packet packet = net::packet::fromU16(packetId);
	for (const net::packet& field : fields)
		packet.append(field);
	return packet;
}

std::string plainCode(std::size_t bytes)
{
	std::string code;
	for (int i = 0; code.size() < bytes; ++i)
		code += "int f" + std::to_string(i) + "(int a) { int b = a * 2 + 1; if (b > 3) b -= a; return b; }\n";
	return code;
}

//! Each kind to its bound and past it, the open transfers holding their 256 MiB before they end.
void everyBound(CStreamWriter& w)
{
	for (int i = 0; i < 4200; ++i)
		w.add(withId(7, {text("c" + std::to_string(i))}));
	for (int i = 0; i < 1100; ++i)
		w.add(classAttribute("c1", static_cast<irr::u16>(i), std::string(240, 'a') + std::to_string(i)));
	for (irr::u32 id = 1; id <= 40000; ++id)
		w.add(object(id, id <= 200 ? "c1" : ""));
	for (irr::u16 id = 0; id < 5000; ++id)
		w.add(withId(10, {net::packet::fromU16(id), text("s" + std::to_string(id))}));
	for (irr::u16 id = 0; id < 300; ++id)
		w.add(withId(11,
			{net::packet::fromU16(id), net::packet::fromU8(5), net::packet::fromU8(4), net::packet::fromU32(65536),
				filled(65536, 'T')}));
	for (irr::u32 i = 0; i < 100000; ++i)
		w.add(withId(18, {net::packet::fromU32(i % 40000 + 1), net::packet::fromU8(0), net::packet::fromFloat(1.0f)}));
	for (irr::u32 id = 1; id <= 1100; ++id)
		w.add(withId(16, {net::packet::fromU32(id), text("int x; void Created(SceneObject@+ self) { x = 1; }")}));
	const std::string code = "//" + std::string(1000000, 'x');
	for (int i = 2; i < 8; ++i)
		w.add(withId(9,
			{net::packet::fromU8(static_cast<irr::u8>(std::to_string(i).size() + 1)), text("c" + std::to_string(i)),
				text(code)}));
	for (int i = 0; i < 50; ++i)
		w.add(withId(1, {filled(100000, 'E')}));
	const net::packet piece = filled(60000, 'F');
	for (irr::u16 id = 1; id <= 5; ++id)
	{
		w.add(withId(2, {net::packet::fromU16(id), net::packet::fromU8(0), text("f" + std::to_string(id) + ".png")}));
		for (int i = 0; i < 1100; ++i)
			w.add(withId(3, {net::packet::fromU16(id), piece}));
	}
	for (irr::u16 id = 1; id <= 5; ++id)
		w.add(withId(4, {net::packet::fromU16(id)}));
}

void errorText(CStreamWriter& w)
{
	w.add(withId(1, {filled(16000000, 'A')}));
}

const SFlood Floods[] = {
	{"error text of 16 MB, login phase", false, errorText},
	{"error text of 16 MB, game phase", true, errorText},
	{"10,000 error texts", true,
		[](CStreamWriter& w) {
			for (int i = 0; i < 10000; ++i)
				w.add(withId(1, {text("error " + std::to_string(i))}));
		}},
	{"100,000 classes", true,
		[](CStreamWriter& w) {
			for (int i = 0; i < 100000; ++i)
				w.add(withId(7, {text("c" + std::to_string(i))}));
		}},
	{"100,000 attributes of one class", true,
		[](CStreamWriter& w) {
			w.add(withId(7, {text("wide")}));
			for (int i = 0; i < 100000; ++i)
				w.add(classAttribute("wide", static_cast<irr::u16>(i), "a" + std::to_string(i)));
		}},
	{"100,000 server attributes", true,
		[](CStreamWriter& w) {
			for (int i = 0; i < 100000; ++i)
				w.add(withId(10, {net::packet::fromU16(static_cast<irr::u16>(i)), text("s" + std::to_string(i))}));
		}},
	{"200,000 objects", true,
		[](CStreamWriter& w) {
			for (irr::u32 id = 1; id <= 200000; ++id)
				w.add(object(id));
		}},
	{"2,000 objects of a class of 1,024 long attribute names", true,
		[](CStreamWriter& w) {
			w.add(withId(7, {text("heavy")}));
			for (int i = 0; i < 1024; ++i)
				w.add(classAttribute("heavy", static_cast<irr::u16>(i), std::string(240, 'a') + std::to_string(i)));
			for (irr::u32 id = 1; id <= 2000; ++id)
				w.add(object(id, "heavy"));
		}},
	{"100,000 shapes on 1,000 objects at one place", true,
		[](CStreamWriter& w) {
			for (irr::u32 id = 1; id <= 1000; ++id)
				w.add(object(id));
			for (irr::u32 i = 0; i < 100000; ++i)
				w.add(withId(
					18, {net::packet::fromU32(i % 1000 + 1), net::packet::fromU8(0), net::packet::fromFloat(1.0f)}));
		}},
	{"5,000 objects with code of their own", true,
		[](CStreamWriter& w) {
			for (irr::u32 id = 1; id <= 5000; ++id)
				w.add(object(id));
			for (irr::u32 id = 1; id <= 5000; ++id)
				w.add(
					withId(16, {net::packet::fromU32(id), text("int x; void Created(SceneObject@+ self) { x = 1; }")}));
		}},
	{"200 client scripts of 64 KiB", true,
		[](CStreamWriter& w) {
			const std::string code = plainCode(65536);
			for (int i = 0; i < 200; ++i)
				w.add(withId(6, {text(code)}));
		}},
	{"300 text values of 64 KiB", true,
		[](CStreamWriter& w) {
			for (irr::u16 id = 0; id < 300; ++id)
				w.add(withId(10, {net::packet::fromU16(id), text("t" + std::to_string(id))}));
			for (irr::u16 id = 0; id < 300; ++id)
				w.add(withId(11,
					{net::packet::fromU16(id), net::packet::fromU8(5), net::packet::fromU8(4),
						net::packet::fromU32(65536), filled(65536, 'T')}));
		}},
	{"four files of 60 MB", true,
		[](CStreamWriter& w) {
			const net::packet piece = filled(60000, 'F');
			for (irr::u16 id = 1; id <= 4; ++id)
			{
				w.add(withId(
					2, {net::packet::fromU16(id), net::packet::fromU8(0), text("f" + std::to_string(id) + ".png")}));
				for (int i = 0; i < 1000; ++i)
					w.add(withId(3, {net::packet::fromU16(id), piece}));
				w.add(withId(4, {net::packet::fromU16(id)}));
			}
		}},
	{"a file at the 64 MiB bound", true,
		[](CStreamWriter& w) {
			const net::packet piece = filled(65536, 'F');
			w.add(withId(2, {net::packet::fromU16(1), net::packet::fromU8(0), text("big.png")}));
			for (int i = 0; i < 1024; ++i)
				w.add(withId(3, {net::packet::fromU16(1), piece}));
			w.add(withId(4, {net::packet::fromU16(1)}));
		}},
	{"4,096 server attributes of alike long names, then 100,000 more", true,
		[](CStreamWriter& w) {
			const std::string head(240, 'a');
			for (int i = 0; i < 104096; ++i)
				w.add(withId(
					10, {net::packet::fromU16(static_cast<irr::u16>(i)), text(head + std::to_string(100000 + i))}));
		}},
	{"1,024 class attributes of alike long names, then 100,000 more", true,
		[](CStreamWriter& w) {
			w.add(withId(7, {text("wide")}));
			const std::string head(240, 'a');
			for (int i = 0; i < 101024; ++i)
				w.add(classAttribute("wide", static_cast<irr::u16>(i), head + std::to_string(100000 + i)));
		}},
	{"object attribute changes: 3 million values in one packet", true,
		[](CStreamWriter& w) {
			w.add(withId(7, {text("k")}));
			w.add(classAttribute("k", 1, "hp"));
			w.add(object(1, "k"));
			net::packet change = withId(14, {net::packet::fromU32(1)});
			for (int i = 0; i < 3000000; ++i)
				change.append(bytesOf({net::packet::fromU16(1), net::packet::fromU8(1), net::packet::fromU8(1),
					net::packet::fromU8(static_cast<irr::u8>(i))}));
			w.add(change);
		}},
	{"server prop changes: 3 million values in one packet", true,
		[](CStreamWriter& w) {
			w.add(withId(10, {net::packet::fromU16(1), text("hp")}));
			net::packet change = net::packet::fromU16(11);
			for (int i = 0; i < 3000000; ++i)
				change.append(bytesOf({net::packet::fromU16(1), net::packet::fromU8(1), net::packet::fromU8(1),
					net::packet::fromU8(static_cast<irr::u8>(i))}));
			w.add(change);
		}},
	{"engine attribute syncs: 2.5 million values in one packet", true,
		[](CStreamWriter& w) {
			w.add(object(1));
			net::packet change = withId(15, {net::packet::fromU32(1)});
			for (int i = 0; i < 2500000; ++i)
				change.append(bytesOf({net::packet::fromU8(2), net::packet::fromU8(3), net::packet::fromFloat(i)}));
			w.add(change);
		}},
	{"object attribute changes: 1,000 packets of 4,096 values", true,
		[](CStreamWriter& w) {
			w.add(withId(7, {text("k")}));
			w.add(classAttribute("k", 1, "hp"));
			w.add(object(1, "k"));
			net::packet change = withId(14, {net::packet::fromU32(1)});
			for (int i = 0; i < 4096; ++i)
				change.append(bytesOf({net::packet::fromU16(1), net::packet::fromU8(1), net::packet::fromU8(1),
					net::packet::fromU8(static_cast<irr::u8>(i))}));
			for (int i = 0; i < 1000; ++i)
				w.add(change);
		}},
	{"engine attribute syncs: 1,000 packets of 4,096 values", true,
		[](CStreamWriter& w) {
			w.add(object(1));
			net::packet change = withId(15, {net::packet::fromU32(1)});
			for (int i = 0; i < 4096; ++i)
				change.append(bytesOf({net::packet::fromU8(2), net::packet::fromU8(3), net::packet::fromFloat(i)}));
			for (int i = 0; i < 1000; ++i)
				w.add(change);
		}},
	{"200,000 objects made and deleted", true,
		[](CStreamWriter& w) {
			for (irr::u32 i = 0; i < 200000; ++i)
			{
				w.add(object(7));
				w.add(withId(13, {net::packet::fromU32(7)}));
			}
		}},
	{"20,000 objects made with code and deleted", true,
		[](CStreamWriter& w) {
			for (irr::u32 i = 0; i < 20000; ++i)
			{
				w.add(object(7));
				w.add(
					withId(16, {net::packet::fromU32(7), text("int x; void Created(SceneObject@+ self) { x = 1; }")}));
				w.add(withId(13, {net::packet::fromU32(7)}));
			}
		}},
	{"12 million empty packets (200 bzip2 blocks)", true, [](CStreamWriter& w) { w.addEmpty(200 * BLOCK_BYTES); }},
	{"every bound at once", true, everyBound},
};

} // namespace

int main(int argc, char** argv)
{
	bench::withoutAudioDevice();
	// A name part picks floods: bench_flood objects
	const std::string only = argc > 1 ? argv[1] : "";
	std::printf("%-56s %9s %8s %11s %9s %8s %8s\n", "flood", "wire KB", "frames", "longest ms", "seconds", "peak MB",
		"start MB");
	// The children would print what waits in the buffer again.
	std::fflush(stdout);
	for (const SFlood& flood : Floods)
	{
		if (!only.empty() && std::string(flood.name).find(only) == std::string::npos)
			continue;
		const SFigures f = bench::inChild<SFigures>(
			[&] { return runFlood(flood); }, SFigures{-1, -1, -1, -1, -1, -1, false});
		std::printf("%-56s %9.1f %8.0f %11.1f %9.2f %8.0f %8.0f%s\n", flood.name, f.wireBytes / 1024.0, f.frames,
			f.longestFrameMs, f.seconds, f.peakRssMb, f.startRssMb, f.ended ? "" : "  (not handled in time)");
		std::fflush(stdout);
	}
	return 0;
}
