#include "net/compression.h"

#include <cstdio>
#include <cstdlib>

#include <bzlib.h>
#include <zlib.h>

namespace orv {
namespace net {

namespace {

const unsigned int OUTPUT_SIZE = 0xFFFF;

// The output room of one call, freed on every way out.
struct SOutputBuffer
{
	SOutputBuffer() : bytes(static_cast<irr::u8*>(std::malloc(OUTPUT_SIZE))) {}
	~SOutputBuffer() { std::free(bytes); }
	SOutputBuffer(const SOutputBuffer&) = delete;
	SOutputBuffer& operator=(const SOutputBuffer&) = delete;

	irr::u8* bytes;
};

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
	case Z_DATA_ERROR: return "zlib: The input data was corrupted.";
	case Z_MEM_ERROR: return "zlib: Not enough memory to decompress.";
	case Z_BUF_ERROR: return "zlib: Not enough room in the output buffer to decompress.";
	default: return nullptr;
	}
}

const char* describeBzip2Failure(int result)
{
	switch (result)
	{
	case BZ_CONFIG_ERROR: return "bzip2: Library has been mis-compiled.";
	case BZ_OUTBUFF_FULL: return "bzip2: Output buffer is not big enough.";
	case BZ_UNEXPECTED_EOF: return "bzip2: The input data was corrupted (unexpected EOF).";
	case BZ_DATA_ERROR_MAGIC: return "bzip2: The input data was corrupted (missing magic bytes).";
	case BZ_DATA_ERROR: return "bzip2: The input data was corrupted.";
	case BZ_MEM_ERROR: return "bzip2: Not enough memory to decompress.";
	case BZ_PARAM_ERROR: return "bzip2: Parameter error.";
	default: return nullptr;
	}
}

namespace {

// An empty packet hands the library no data pointer at all.
const irr::u8* input(const packet& data)
{
	return data.isEmpty() ? nullptr : data.getData();
}

void replace(packet& data, const irr::u8* bytes, irr::u32 count)
{
	data.clear();
	data.appendBytes(bytes, count);
}

enum EKind
{
	EK_ZLIB,
	EK_BZIP2
};

bool run(packet& data, EKind kind, bool compress)
{
	SOutputBuffer out;
	if (!out.bytes)
	{
		if (!compress)
			printFailure(kind == EK_ZLIB ? describeZlibFailure(Z_MEM_ERROR) : describeBzip2Failure(BZ_MEM_ERROR));
		return false;
	}

	unsigned int produced = OUTPUT_SIZE;
	bool ok;
	if (kind == EK_ZLIB)
	{
		uLongf length = OUTPUT_SIZE;
		const int result = compress
			? compress2(out.bytes, &length, input(data), data.getSize(), Z_DEFAULT_COMPRESSION)
			: uncompress(out.bytes, &length, input(data), data.getSize());
		ok = result == Z_OK;
		if (!ok && !compress)
			printFailure(describeZlibFailure(result));
		produced = static_cast<unsigned int>(length);
	}
	else
	{
		// bzlib takes non-const input pointers but does not write through them.
		char* source = const_cast<char*>(reinterpret_cast<const char*>(input(data)));
		char* dest = reinterpret_cast<char*>(out.bytes);
		const int result = compress
			? BZ2_bzBuffToBuffCompress(dest, &produced, source, data.getSize(), 1, 0, 0)
			: BZ2_bzBuffToBuffDecompress(dest, &produced, source, data.getSize(), 0, 0);
		ok = result == BZ_OK;
		if (!ok && !compress)
			printFailure(describeBzip2Failure(result));
	}
	if (!ok)
		return false;
	replace(data, out.bytes, produced);
	return true;
}

} // end anonymous namespace

bool compressZlib(packet& data) { return run(data, EK_ZLIB, true); }
bool compressBzip2(packet& data) { return run(data, EK_BZIP2, true); }
bool decompressZlib(packet& data) { return run(data, EK_ZLIB, false); }
bool decompressBzip2(packet& data) { return run(data, EK_BZIP2, false); }

} // end namespace net
} // end namespace orv
