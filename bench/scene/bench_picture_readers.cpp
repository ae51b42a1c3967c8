// What the picture readers cost on the shapes that are worst for each: every
// shape at two sizes, the second about twice the bytes of the first, read
// from a file through the client's one picture path on the null device, each
// read in a process of its own. Prints the file's bytes, the seconds (median
// of three reads), how far the read raised the process's peak memory, whether
// the picture was read or refused, and the ratios from the first size to the
// second (goal: at most 2.1 when the bytes double). A shape refused at both
// sizes costs only its check.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>

#include <zlib.h>

#include <irrlicht.h>

#include "scene/picture/PictureLoad.h"
#include "support/InChild.h"

using namespace orv;
using irr::u32;
using irr::u64;
using Clock = std::chrono::steady_clock;

namespace {

typedef std::function<std::string(u32)> Shape;

const int ROUNDS = 3;

std::string le16(u32 v)
{
	return {char(v & 0xFF), char(v >> 8 & 0xFF)};
}
std::string le32(u32 v)
{
	return le16(v & 0xFFFF) + le16(v >> 16);
}
std::string be16(u32 v)
{
	return {char(v >> 8 & 0xFF), char(v & 0xFF)};
}
std::string be32(u32 v)
{
	return be16(v >> 16) + be16(v & 0xFFFF);
}

std::string deflated(const std::string& plain)
{
	uLongf size = compressBound(uLong(plain.size()));
	std::string out(size, '\0');
	compress2(
		reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(plain.data()), uLong(plain.size()), 9);
	out.resize(size);
	return out;
}

std::string pngChunk(const char* kind, const std::string& body)
{
	const std::string typed = kind + body;
	const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()));
	return be32(u32(body.size())) + typed + be32(u32(crc));
}

// An RGBA picture, every row filtered with "none": zeros, or bytes that do
// not compress; its compressed rows in IDAT chunks of `idatBytes` (0: one).
std::string png(u32 side, bool noise, const std::string& before = "", u32 idatBytes = 0)
{
	std::string rows;
	rows.reserve(size_t(side * 4 + 1) * side);
	std::mt19937 random(1);
	for (u32 y = 0; y < side; ++y)
	{
		rows += '\0';
		for (u32 x = 0; x < side * 4; ++x)
			rows += noise ? char(random()) : '\0';
	}
	const std::string data = deflated(rows);
	std::string idat;
	const size_t piece = idatBytes ? idatBytes : data.size();
	for (size_t at = 0; at < data.size(); at += piece)
		idat += pngChunk("IDAT", data.substr(at, piece));
	return std::string("\x89PNG\r\n\x1a\n", 8) +
		pngChunk("IHDR", be32(side) + be32(side) + std::string("\x08\x06\x00\x00\x00", 5)) + before + idat +
		pngChunk("IEND", "");
}

// Compressed text chunks of 8 MB of spaces each, before the pixels.
std::string pngTextBombs(u32 count)
{
	const std::string bomb = pngChunk("zTXt", std::string("Comment\0\0", 9) + deflated(std::string(8000000, ' ')));
	std::string chunks;
	for (u32 i = 0; i < count; ++i)
		chunks += bomb;
	return png(16, false, chunks);
}

// A small picture whose text chunk says it is n MiB long, in a file of a few
// bytes.
std::string pngCutChunk(u32 mebibytes)
{
	const std::string picture = png(2, false);
	return picture.substr(0, 33) + be32(mebibytes << 20) + "iTXt" + "Comment";
}

// Entropy-coded bits, a 0 byte stuffed after every 0xFF; padded with ones.
class CJpegBits
{
public:
	void put(u32 value, u32 count)
	{
		for (u32 i = count; i > 0; --i)
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
	u32 Byte = 0;
	u32 Filled = 0;
};

// A grey progressive JPEG of that side whose coefficients are all 0: a DC
// scan, then AC scans that each code the whole picture as runs of empty
// blocks in a few bytes, `scans` in all. Every scan makes libjpeg visit
// every block.
std::string progressiveJpeg(u32 side, u32 scans)
{
	const u32 blocks = ((side + 7) / 8) * ((side + 7) / 8);
	std::string out = "\xFF\xD8";
	out += "\xFF\xDB" + be16(67) + '\0' + std::string(64, '\1');
	out += std::string("\xFF\xC2", 2) + be16(11) + '\x08' + be16(side) + be16(side) + "\x01\x01\x11" + '\0';
	const std::string oneCode = std::string("\x01", 1) + std::string(15, '\0');
	out += "\xFF\xC4" + be16(20) + '\0' + oneCode + '\0';
	out += "\xFF\xC4" + be16(20) + '\x10' + oneCode + '\xE0';
	CJpegBits dc;
	for (u32 i = 0; i < blocks; ++i)
		dc.put(0, 1);
	out += std::string("\xFF\xDA", 2) + be16(8) + "\x01\x01" + '\0' + '\0' + '\0' + '\0' + dc.finish();
	CJpegBits ac;
	for (u32 left = blocks; left > 0;)
	{
		const u32 run = std::max<u32>(std::min<u32>(left, 32767), 16384);
		ac.put(0, 1);
		ac.put(run - 16384, 14);
		left -= std::min(left, run);
	}
	const std::string acScan = std::string("\xFF\xDA", 2) + be16(8) + "\x01\x01" + '\0' + '\x01' + '\x3F' + '\0' +
		ac.finish();
	for (u32 i = 1; i < scans; ++i)
		out += acScan;
	return out + "\xFF\xD9";
}

std::string bmp(u32 side, u32 bits, u32 compression, const std::string& palette, const std::string& pixels)
{
	const u32 offset = 54 + u32(palette.size());
	return "BM" + le32(offset + u32(pixels.size())) + le32(0) + le32(offset) + le32(40) + le32(side) + le32(side) +
		le16(1) + le16(bits) + le32(compression) + le32(u32(pixels.size())) + le32(0) + le32(0) +
		le32(u32(palette.size() / 4)) + le32(0) + palette + pixels;
}

std::string bmpRuns(u32 side)
{
	std::string palette;
	for (u32 i = 0; i < 256; ++i)
		palette += le32(i * 0x010101);
	std::string runs;
	for (u32 y = 0; y < side; ++y)
	{
		for (u32 x = 0; x < side; x += 255)
			runs += char(std::min<u32>(255, side - x)) + std::string(1, char(y));
		runs += std::string("\0\0", 2);
	}
	return bmp(side, 8, 1, palette, runs + std::string("\0\1", 2));
}

std::string bmpOneBit(u32 side)
{
	return bmp(side, 1, 0, le32(0) + le32(0xFFFFFF), std::string(size_t((side + 31) / 32 * 4) * side, '\x5A'));
}

// 32 bits whose alpha bytes are all 0: opaque, found only after every pixel.
std::string bmpUnusedAlpha(u32 side)
{
	return bmp(side, 32, 0, "", std::string(size_t(side) * side * 4, '\0'));
}

std::string tga(u32 side, u32 type, const std::string& pixels)
{
	return std::string{0, 0, char(type)} + le16(0) + le16(0) + char(0) + le16(0) + le16(0) + le16(side) + le16(side) +
		char(32) + char(0x28) + pixels;
}

std::string tgaRuns(u32 side)
{
	std::string runs;
	for (u64 left = u64(side) * side; left > 0;)
	{
		const u64 run = std::min<u64>(left, 128);
		runs += char(127 + run) + std::string("\x10\x20\x30\x40");
		left -= run;
	}
	return tga(side, 10, runs);
}

std::string tgaPlain(u32 side)
{
	return tga(side, 2, std::string(size_t(side) * side * 4, '\x40'));
}

// Three planes, the scan lines `lineBytes` long, each a run of 63 bytes
// after another.
std::string pcx(u32 width, u32 height, u32 lineBytes)
{
	std::string header = std::string{0x0A, 5, 1, 8} + le16(0) + le16(0) + le16(width - 1) + le16(height - 1) +
		le16(72) + le16(72) + std::string(48, '\0') + char(0) + char(3) + le16(lineBytes) + le16(1);
	header += std::string(128 - header.size(), '\0');
	std::string line;
	for (u32 left = lineBytes * 3; left > 0;)
	{
		const u32 run = std::min<u32>(std::min<u32>(left, 63), (left - 1) % lineBytes + 1);
		line += char(0xC0 | run) + std::string(1, '\x40');
		left -= run;
	}
	std::string data;
	for (u32 i = 0; i < height; ++i)
		data += line;
	return header + data;
}

// A run-length SGI picture whose rows all point at one stretch of bytes that
// says it is `length` long: one packet stream for the row, then padding.
std::string sgiSharedRows(u32 width, u32 height, u32 length)
{
	const u32 channels = 3;
	const u32 rows = height * channels;
	std::string header = be16(474) + char(1) + char(1) + be16(3) + be16(width) + be16(height) + be16(channels) +
		be32(0) + be32(255);
	header += std::string(512 - header.size(), '\0');
	std::string stream;
	for (u32 left = width; left > 0;)
	{
		const u32 run = std::min<u32>(left, 127);
		stream += char(run) + std::string(1, '\x40');
		left -= run;
	}
	stream += '\0';
	stream += std::string(length > stream.size() ? length - stream.size() : 0, '\0');
	std::string starts, lengths;
	for (u32 i = 0; i < rows; ++i)
	{
		starts += be32(512 + 8 * rows);
		lengths += be32(u32(stream.size()));
	}
	return header + starts + lengths + stream;
}

// The shapes at size n.
std::string pngZeros(u32 n)
{
	return png(n, false);
}
std::string pngNoise(u32 n)
{
	return png(n, true);
}
std::string pngByteChunks(u32 n)
{
	return png(n, true, "", 1);
}
std::string jpegFullScans(u32 n)
{
	return progressiveJpeg(n, 100);
}
std::string jpegScansOfOnePicture(u32 n)
{
	return progressiveJpeg(4096, n);
}
std::string jpegScansAndBlocks(u32 n)
{
	return progressiveJpeg(8 * n, n);
}
std::string pcxSquare(u32 n)
{
	return pcx(n, n, n);
}
std::string pcxWideLines(u32 n)
{
	return pcx(1, n, 65534);
}
std::string sgiWideShared(u32 n)
{
	return sgiSharedRows(16384, n, 0);
}
std::string sgiLongRows(u32 n)
{
	return sgiSharedRows(1, n, 24 * n);
}

struct SFigures
{
	double seconds = -1.0;
	double peakMiB = 0.0;
	bool loaded = false;
};

double peakMiB()
{
	rusage usage{};
	getrusage(RUSAGE_SELF, &usage);
	return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

SFigures readOnce(const std::string& path)
{
	return bench::inChild<SFigures>(
		[&] {
			SFigures figures;
			irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
			if (!device)
				return figures;
			device->getLogger()->setLogLevel(irr::ELL_NONE);
			const double before = peakMiB();
			const Clock::time_point start = Clock::now();
			irr::io::IReadFile* file = device->getFileSystem()->createAndOpenFile(path.c_str());
			const char* refusal = nullptr;
			irr::video::IImage* picture = file ? loadPicture(device, file, refusal) : nullptr;
			if (file)
				file->drop();
			figures.loaded = picture != nullptr;
			if (picture)
				picture->drop();
			figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
			figures.peakMiB = peakMiB() - before;
			device->drop();
			return figures;
		},
		SFigures());
}

SFigures measure(const std::string& path)
{
	std::vector<SFigures> runs;
	for (int i = 0; i < ROUNDS; ++i)
		runs.push_back(readOnce(path));
	std::sort(runs.begin(), runs.end(), [](const SFigures& a, const SFigures& b) { return a.seconds < b.seconds; });
	return runs[ROUNDS / 2];
}

// The shape at that size in a file of the given name; its bytes.
size_t writeShape(const Shape& shape, u32 size, const std::string& path)
{
	const std::string bytes = shape(size);
	std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
	return bytes.size();
}

void row(const char* reader, const char* shapeName, const char* extension, const Shape& shape, u32 small, u32 large)
{
	const std::filesystem::path folder = std::filesystem::temp_directory_path();
	const std::string tag = std::to_string(std::random_device()());
	const std::string smallPath = (folder / ("orv-bench-picture-a-" + tag + extension)).string();
	const std::string largePath = (folder / ("orv-bench-picture-b-" + tag + extension)).string();
	const size_t smallBytes = writeShape(shape, small, smallPath);
	const size_t largeBytes = writeShape(shape, large, largePath);
	// The children start from this process's memory: give back what the
	// shapes took.
	malloc_trim(0);
	const SFigures a = measure(smallPath);
	const SFigures b = measure(largePath);
	std::filesystem::remove(smallPath);
	std::filesystem::remove(largePath);
	const auto status = [](const SFigures& f) { return f.seconds < 0 ? "crashed" : f.loaded ? "read" : "refused"; };
	const auto ratio = [](double from, double to) { return from > 0 && to > 0 ? to / from : 0.0; };
	std::printf("%-4s %-36s %10zu %8.3f %7.1f %-7s %10zu %8.3f %7.1f %-7s %5.2f %5.2f %5.2f\n", reader, shapeName,
		smallBytes, a.seconds, a.peakMiB, status(a), largeBytes, b.seconds, b.peakMiB, status(b),
		ratio(double(smallBytes), double(largeBytes)), ratio(a.seconds, b.seconds), ratio(a.peakMiB, b.peakMiB));
	std::fflush(stdout);
}

} // namespace

int main()
{
	std::printf("picture readers on their worst shapes: seconds are the median of %d reads, MiB the rise of the peak\n",
		ROUNDS);
	std::printf("%-4s %-36s %10s %8s %7s %-7s %10s %8s %7s %-7s %5s %5s %5s\n", "", "shape", "bytes", "s", "MiB", "",
		"bytes", "s", "MiB", "", "bytes", "s", "MiB");
	row("png", "zeros, side n", ".png", pngZeros, 2048, 2896);
	row("png", "noise, side n", ".png", pngNoise, 1024, 1448);
	row("png", "noise in IDAT chunks of a byte, side n", ".png", pngByteChunks, 512, 724);
	row("png", "n text chunks of 8 MB inflated", ".png", pngTextBombs, 16, 32);
	row("png", "text chunk cut short, says n MiB", ".png", pngCutChunk, 256, 512);
	row("jpeg", "100 scans, side n", ".jpg", jpegFullScans, 2048, 2896);
	row("jpeg", "n scans of 4096 x 4096", ".jpg", jpegScansOfOnePicture, 200, 400);
	row("jpeg", "n scans of n x n blocks", ".jpg", jpegScansAndBlocks, 256, 362);
	row("bmp", "8-bit runs of 255, side n", ".bmp", bmpRuns, 4096, 5793);
	row("bmp", "1 bit a pixel, side n", ".bmp", bmpOneBit, 4096, 5793);
	row("bmp", "32 bits, alpha unused, side n", ".bmp", bmpUnusedAlpha, 2048, 2896);
	row("tga", "runs of 128 pixels, side n", ".tga", tgaRuns, 4096, 5793);
	row("tga", "32 bits, side n", ".tga", tgaPlain, 2048, 2896);
	row("pcx", "runs of 63, side n", ".pcx", pcxSquare, 2048, 2896);
	row("pcx", "1 pixel, lines of 65534 bytes, n rows", ".pcx", pcxWideLines, 512, 1024);
	row("sgi", "16384 wide, rows shared, n rows", ".rgb", sgiWideShared, 512, 1024);
	row("sgi", "1 pixel, rows of 8n bytes shared, n rows", ".rgb", sgiLongRows, 2048, 4096);
	return 0;
}
