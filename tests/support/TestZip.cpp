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

} // namespace

std::string makeZip(const std::vector<std::pair<std::string, std::string>>& files)
{
	std::string out;
	std::string directory;
	for (const auto& file : files) {
		const uint32_t crc = static_cast<uint32_t>(
			crc32(0, reinterpret_cast<const Bytef*>(file.second.data()), static_cast<uInt>(file.second.size())));
		const uint32_t size = static_cast<uint32_t>(file.second.size());
		const uint32_t offset = static_cast<uint32_t>(out.size());

		put32(out, 0x04034b50);
		put16(out, 10); // version needed
		put16(out, 0);  // flags
		put16(out, 0);  // stored
		put16(out, 0);  // time
		put16(out, 0x21); // date: 1980-01-01
		put32(out, crc);
		put32(out, size);
		put32(out, size);
		put16(out, static_cast<uint32_t>(file.first.size()));
		put16(out, 0);
		out += file.first;
		out += file.second;

		put32(directory, 0x02014b50);
		put16(directory, 20); // made by
		put16(directory, 10);
		put16(directory, 0);
		put16(directory, 0);
		put16(directory, 0);
		put16(directory, 0x21);
		put32(directory, crc);
		put32(directory, size);
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

} // namespace orv::test
