#pragma once
// Files read whole into memory. A file's size is only what it reports, and a
// folder opened by name or a hostile package entry reports what it likes:
// every reader names the largest file it takes, and nothing is allocated
// past that.

#include <cstddef>

namespace irr {
namespace io {
class IReadFile;
}
} // namespace irr

namespace orv {

//! How reading a file whole went.
enum EWholeFileRead
{
	//! Every byte the file reported.
	EWFR_WHOLE,
	//! Fewer bytes than it reported (it shrank, or a read failed); those that
	//! arrived are kept.
	EWFR_SHORT,
	//! No file, or a size below zero or above the bound: nothing was read.
	EWFR_REFUSED
};

//! The file's size when it may be read whole under maxBytes, its position
//! put back to the first byte; false for no file, a size below zero or one
//! above maxBytes.
bool measureWholeFile(irr::io::IReadFile* file, size_t maxBytes, size_t& size);

//! Reads up to `size` bytes at the file's position into `out`; how many
//! arrived.
size_t readFileBytes(irr::io::IReadFile* file, void* out, size_t size);

//! The whole file, from its first byte, in `bytes` (a std::string or a
//! vector of one-byte values), replacing what they held.
template <typename Bytes> EWholeFileRead readWholeFile(irr::io::IReadFile* file, size_t maxBytes, Bytes& bytes)
{
	bytes.clear();
	size_t size = 0;
	if (!measureWholeFile(file, maxBytes, size))
		return EWFR_REFUSED;
	if (size == 0)
		return EWFR_WHOLE;
	bytes.resize(size);
	const size_t got = readFileBytes(file, &bytes[0], size);
	bytes.resize(got);
	return got == size ? EWFR_WHOLE : EWFR_SHORT;
}

} // namespace orv
