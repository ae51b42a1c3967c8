#pragma once

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include <irrTypes.h>
#include <zlib.h>

// The fields of picture files made byte by byte in the picture tests.
namespace orv {
namespace test {

inline std::string le16(irr::u32 v)
{
	return {char(v & 0xFF), char(v >> 8 & 0xFF)};
}
inline std::string le32(irr::u32 v)
{
	return le16(v & 0xFFFF) + le16(v >> 16);
}
inline std::string be16(irr::u32 v)
{
	return {char(v >> 8 & 0xFF), char(v & 0xFF)};
}
inline std::string be32(irr::u32 v)
{
	return be16(v >> 16) + be16(v & 0xFFFF);
}

inline std::string bytes(std::initializer_list<int> values)
{
	std::string made;
	for (int v : values)
		made += char(v);
	return made;
}

// A BMP with an info header of `infoBytes`; masks go inside a longer header
// and after a 40-byte one.
inline std::string bmp(irr::u32 infoBytes, int width, int height, irr::u32 bits, irr::u32 compression,
	const std::string& palette, const std::string& pixels, const std::string& masks = "")
{
	std::string info = le32(infoBytes) + le32(irr::u32(width)) + le32(irr::u32(height)) + le16(1) + le16(bits) +
		le32(compression) + le32(irr::u32(pixels.size())) + le32(2835) + le32(2835) +
		le32(irr::u32(palette.size() / 4)) + le32(0) + masks;
	if (info.size() < infoBytes)
		info += std::string(infoBytes - info.size(), '\0');
	const irr::u32 offset = 14 + irr::u32(info.size() + palette.size());
	return "BM" + le32(offset + irr::u32(pixels.size())) + le32(0) + le32(offset) + info + palette + pixels;
}

inline std::string tga(int type, int width, int height, int bits, int descriptor, const std::string& pixels,
	const std::string& map = "", int mapLength = 0, int mapBits = 0)
{
	return bytes({0, map.empty() ? 0 : 1, type}) + le16(0) + le16(irr::u32(mapLength)) + char(mapBits) + le16(0) +
		le16(0) + le16(irr::u32(width)) + le16(irr::u32(height)) + char(bits) + char(descriptor) + map + pixels;
}

// Version 5, run-length coded, 8 bits a plane.
inline std::string pcx(
	int width, int height, int planes, int lineBytes, const std::string& data, const std::string& palette)
{
	std::string header = bytes({0x0A, 5, 1, 8}) + le16(0) + le16(0) + le16(irr::u32(width - 1)) +
		le16(irr::u32(height - 1)) + le16(72) + le16(72) + std::string(48, '\0') + char(0) + char(planes) +
		le16(irr::u32(lineBytes)) + le16(1);
	header += std::string(128 - header.size(), '\0');
	return header + data + (palette.empty() ? "" : "\x0C" + palette + std::string(768 - palette.size(), '\0'));
}

// Rows bottom first, every row of the first channel, then of the next. Run-
// length coded rows are one literal packet each.
inline std::string sgi(int width, int height, int channels, bool runs, const std::vector<std::string>& rows)
{
	std::string header = be16(474) + char(runs ? 1 : 0) + char(1) + be16(channels == 1 ? 2 : 3) +
		be16(irr::u32(width)) + be16(irr::u32(height)) + be16(irr::u32(channels)) + be32(0) + be32(255);
	header += std::string(512 - header.size(), '\0');
	if (!runs)
	{
		std::string data;
		for (const std::string& row : rows)
			data += row;
		return header + data;
	}
	std::string starts, lengths, data;
	irr::u32 at = 512 + 8 * irr::u32(rows.size());
	for (const std::string& row : rows)
	{
		const std::string packed = char(0x80 | row.size()) + row + '\0';
		starts += be32(at);
		lengths += be32(irr::u32(packed.size()));
		data += packed;
		at += irr::u32(packed.size());
	}
	return header + starts + lengths + data;
}

inline std::string deflated(const std::string& plain)
{
	uLongf size = compressBound(uLong(plain.size()));
	std::string out(size, '\0');
	compress2(
		reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(plain.data()), uLong(plain.size()), 9);
	out.resize(size);
	return out;
}

inline std::string pngChunk(const std::string& kind, const std::string& body)
{
	const std::string typed = kind + body;
	const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()));
	return be32(irr::u32(body.size())) + typed + be32(irr::u32(crc));
}

//! An 8-bit RGBA PNG from its rows of pixels, without filter bytes; `middle`
//! goes between the header and the pixels, `end` between the pixels and IEND.
inline std::string png(
	irr::u32 width, const std::string& pixels, const std::string& middle = "", const std::string& end = "")
{
	const irr::u32 height = irr::u32(pixels.size() / (4 * width));
	std::string rows;
	for (irr::u32 y = 0; y < height; ++y)
		rows += '\0' + pixels.substr(size_t(y) * 4 * width, 4 * width);
	return std::string("\x89PNG\r\n\x1a\n", 8) +
		pngChunk("IHDR", be32(width) + be32(height) + std::string("\x08\x06\x00\x00\x00", 5)) + middle +
		pngChunk("IDAT", deflated(rows)) + end + pngChunk("IEND", "");
}

//! Entropy-coded JPEG bits, a 0 byte stuffed after every 0xFF, padded with
//! ones.
class CJpegBits
{
public:
	void put(irr::u32 value, irr::u32 count)
	{
		for (irr::u32 i = count; i > 0; --i)
		{
			Byte = Byte << 1 | (value >> (i - 1) & 1);
			if (++Filled == 8)
				flush();
		}
	}
	std::string finish()
	{
		while (Filled != 0)
			put(1, 1);
		return Out;
	}

private:
	void flush()
	{
		Out += char(Byte);
		if (Byte == 0xFF)
			Out += '\0';
		Byte = 0;
		Filled = 0;
	}
	std::string Out;
	irr::u32 Byte = 0;
	irr::u32 Filled = 0;
};

//! A grey progressive JPEG of that side whose coefficients are all 0, so that
//! every pixel is 128: a DC scan, then `scans` - 1 AC scans that each code the
//! whole picture as runs of empty blocks in a few bytes.
inline std::string progressiveJpeg(irr::u32 side, irr::u32 scans)
{
	const irr::u32 blocks = ((side + 7) / 8) * ((side + 7) / 8);
	std::string out = "\xFF\xD8";
	out += "\xFF\xDB" + be16(67) + '\0' + std::string(64, '\1');
	out += std::string("\xFF\xC2", 2) + be16(11) + '\x08' + be16(side) + be16(side) + "\x01\x01\x11" + '\0';
	// DC table 0 and AC table 0 of one code "0" each: a difference of 0, and
	// a run of 2^14 or more empty blocks.
	const std::string oneCode = std::string("\x01", 1) + std::string(15, '\0');
	out += "\xFF\xC4" + be16(20) + '\0' + oneCode + '\0';
	out += "\xFF\xC4" + be16(20) + '\x10' + oneCode + '\xE0';
	CJpegBits dc;
	for (irr::u32 i = 0; i < blocks; ++i)
		dc.put(0, 1);
	out += std::string("\xFF\xDA", 2) + be16(8) + "\x01\x01" + '\0' + '\0' + '\0' + '\0' + dc.finish();
	CJpegBits ac;
	for (irr::u32 left = blocks; left > 0;)
	{
		const irr::u32 run = std::max<irr::u32>(std::min<irr::u32>(left, 32767), 16384);
		ac.put(0, 1);
		ac.put(run - 16384, 14);
		left -= std::min(left, run);
	}
	const std::string acScan = std::string("\xFF\xDA", 2) + be16(8) + "\x01\x01" + '\0' + '\x01' + '\x3F' + '\0' +
		ac.finish();
	for (irr::u32 i = 1; i < scans; ++i)
		out += acScan;
	return out + "\xFF\xD9";
}

} // namespace test
} // namespace orv
