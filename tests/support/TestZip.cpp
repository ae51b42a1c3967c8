#include "support/TestZip.h"

#include <zlib.h>

#include <cstdint>

namespace orv::test {

namespace {

void put16(std::string& out, uint32_t value)
{
	out += static_cast<char>(value & 0xFF);
	out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t value)
{
	put16(out, value & 0xFFFF);
	put16(out, value >> 16);
}

// Raw deflate, as zip entries hold it.
std::string deflateRaw(const std::string& bytes)
{
	z_stream stream{};
	deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
	std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
	stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
	stream.avail_in = static_cast<uInt>(bytes.size());
	stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
	stream.avail_out = static_cast<uInt>(out.size());
	deflate(&stream, Z_FINISH);
	out.resize(stream.total_out);
	deflateEnd(&stream);
	return out;
}

std::string writeZip(const std::vector<std::pair<std::string, std::string>>& files, bool streamed)
{
	const uint32_t flags = streamed ? 1u << 3 : 0;
	const uint32_t method = streamed ? 8 : 0;
	std::string out;
	std::string directory;
	for (const auto& file : files)
	{
		const uint32_t crc = static_cast<uint32_t>(
			crc32(0, reinterpret_cast<const Bytef*>(file.second.data()), static_cast<uInt>(file.second.size())));
		const std::string data = streamed ? deflateRaw(file.second) : file.second;
		const uint32_t packed = static_cast<uint32_t>(data.size());
		const uint32_t size = static_cast<uint32_t>(file.second.size());
		const uint32_t offset = static_cast<uint32_t>(out.size());

		put32(out, 0x04034b50);
		put16(out, 20); // version needed
		put16(out, flags);
		put16(out, method);
		put16(out, 0);    // time
		put16(out, 0x21); // date: 1980-01-01
		put32(out, streamed ? 0 : crc);
		put32(out, streamed ? 0 : packed);
		put32(out, streamed ? 0 : size);
		put16(out, static_cast<uint32_t>(file.first.size()));
		put16(out, 0);
		out += file.first;
		out += data;
		if (streamed)
		{
			put32(out, 0x08074b50);
			put32(out, crc);
			put32(out, packed);
			put32(out, size);
		}

		put32(directory, 0x02014b50);
		put16(directory, 20); // made by
		put16(directory, 20);
		put16(directory, flags);
		put16(directory, method);
		put16(directory, 0);
		put16(directory, 0x21);
		put32(directory, crc);
		put32(directory, packed);
		put32(directory, size);
		put16(directory, static_cast<uint32_t>(file.first.size()));
		put16(directory, 0); // extra
		put16(directory, 0); // comment
		put16(directory, 0); // disk
		put16(directory, 0); // internal attributes
		put32(directory, 0); // external attributes
		put32(directory, offset);
		directory += file.first;
	}
	const uint32_t directoryOffset = static_cast<uint32_t>(out.size());
	out += directory;
	put32(out, 0x06054b50);
	put16(out, 0);
	put16(out, 0);
	put16(out, static_cast<uint32_t>(files.size()));
	put16(out, static_cast<uint32_t>(files.size()));
	put32(out, static_cast<uint32_t>(directory.size()));
	put32(out, directoryOffset);
	put16(out, 0);
	return out;
}

} // namespace

std::string makeZip(const std::vector<std::pair<std::string, std::string>>& files)
{
	return writeZip(files, false);
}

std::string makeStreamedZip(const std::vector<std::pair<std::string, std::string>>& files)
{
	return writeZip(files, true);
}

} // namespace orv::test
