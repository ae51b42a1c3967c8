#include "net/compression.h"

#include <cstdio>

#include <bzlib.h>
#include <zlib.h>

namespace orv {
namespace net {

namespace {

const unsigned int OUTPUT_SIZE = 0xFFFF;

void printFailure(const char* message)
{
	if (message)
	{
		std::fputs(message, stdout);
		std::fputc('\n', stdout);
		std::fflush(stdout);
	}
}

} // end anonymous namespace

const char* describeZlibFailure(int result)
{
	switch (result)
	{
	case Z_DATA_ERROR:
		return "zlib: The input data was corrupted.";
	case Z_MEM_ERROR:
		return "zlib: Not enough memory to decompress.";
	case Z_BUF_ERROR:
		return "zlib: Not enough room in the output buffer to decompress.";
	default:
		return nullptr;
	}
}

const char* describeBzip2Failure(int result)
{
	switch (result)
	{
	case BZ_CONFIG_ERROR:
		return "bzip2: Library has been mis-compiled.";
	case BZ_OUTBUFF_FULL:
		return "bzip2: Output buffer is not big enough.";
	case BZ_UNEXPECTED_EOF:
		return "bzip2: The input data was corrupted (unexpected EOF).";
	case BZ_DATA_ERROR_MAGIC:
		return "bzip2: The input data was corrupted (missing magic bytes).";
	case BZ_DATA_ERROR:
		return "bzip2: The input data was corrupted.";
	case BZ_MEM_ERROR:
		return "bzip2: Not enough memory to decompress.";
	case BZ_PARAM_ERROR:
		return "bzip2: Parameter error.";
	default:
		return nullptr;
	}
}

namespace {

enum EKind
{
	EK_ZLIB,
	EK_BZIP2
};

// Runs the library on [data, data + size) and appends the result to `out`,
// which is left as it was on failure. The output goes straight into `out`:
// a received stream passes through here block after block.
bool run(const irr::u8* data, irr::u32 size, EKind kind, bool compress, packet& out)
{
	// An empty input hands the library no data pointer at all.
	if (size == 0)
		data = nullptr;
	const irr::u32 before = out.getSize();
	out.resize(before + OUTPUT_SIZE);
	irr::u8* target = out.getData() + before;

	unsigned int produced = OUTPUT_SIZE;
	bool ok;
	if (kind == EK_ZLIB)
	{
		uLongf length = OUTPUT_SIZE;
		const int result = compress ? compress2(target, &length, data, size, Z_DEFAULT_COMPRESSION)
									: uncompress(target, &length, data, size);
		ok = result == Z_OK;
		if (!ok && !compress)
			printFailure(describeZlibFailure(result));
		produced = static_cast<unsigned int>(length);
	}
	else
	{
		// bzlib takes non-const input pointers but does not write through them.
		char* source = const_cast<char*>(reinterpret_cast<const char*>(data));
		char* dest = reinterpret_cast<char*>(target);
		const int result = compress ? BZ2_bzBuffToBuffCompress(dest, &produced, source, size, 1, 0, 0)
									: BZ2_bzBuffToBuffDecompress(dest, &produced, source, size, 0, 0);
		ok = result == BZ_OK;
		if (!ok && !compress)
			printFailure(describeBzip2Failure(result));
	}
	out.resize(ok ? before + produced : before);
	return ok;
}

// In place: the packet holds the result and reads from its first byte.
bool runInPlace(packet& data, EKind kind, bool compress)
{
	packet out;
	if (!run(data.getData(), data.getSize(), kind, compress, out))
		return false;
	data = std::move(out);
	return true;
}

} // end anonymous namespace

bool compressZlib(packet& data)
{
	return runInPlace(data, EK_ZLIB, true);
}
bool compressBzip2(packet& data)
{
	return runInPlace(data, EK_BZIP2, true);
}
bool decompressZlib(packet& data)
{
	return runInPlace(data, EK_ZLIB, false);
}
bool decompressBzip2(packet& data)
{
	return runInPlace(data, EK_BZIP2, false);
}

bool decompressZlibInto(const irr::u8* data, irr::u32 size, packet& out)
{
	return run(data, size, EK_ZLIB, false, out);
}

bool decompressBzip2Into(const irr::u8* data, irr::u32 size, packet& out)
{
	return run(data, size, EK_BZIP2, false, out);
}

} // end namespace net
} // end namespace orv
