#pragma once

#include <irrTypes.h>
#include <path.h>

// Every archive file a package may be is read here, header by header, before
// Irrlicht's zip reader sees it. That reader trusts what it finds: a local
// header offset past the end, a name length that runs into the next entry or
// a central directory that does not end where its record says makes it read
// uninitialised headers, index an empty list or search without end, and it
// allocates whatever size an entry claims. Only archives whose every entry
// it would read as written are handed on.
namespace irr {
namespace io {
class IReadFile;
}
} // namespace irr

namespace orv {

//! Archives are addressed with 32-bit offsets in the format and in Irrlicht.
const irr::u64 ZIP_MAX_ARCHIVE_BYTES = 0x7FFFFFFF;
//! Entries of one archive: each costs Irrlicht a list item with two names.
const irr::u32 ZIP_MAX_ENTRIES = 16384;
//! Bytes of an entry's name, folders included; far beyond any content path.
const irr::u32 ZIP_MAX_NAME_BYTES = 1024;
//! Irrlicht unpacks an entry whole into memory when it is opened; no file the
//! client reads whole is larger.
const irr::u32 ZIP_MAX_ENTRY_BYTES = 256u << 20;
//! The central directory is read whole to be checked.
const irr::u32 ZIP_MAX_DIRECTORY_BYTES = 32u << 20;

//! Whether Irrlicht's zip reader would take the file, by its name (".zip",
//! ".pk3", ".gz", ".tgz") or by its first bytes (a zip's local header or
//! gzip's signature). The file is read from its start.
bool isZipReaderFile(const irr::io::path& name, irr::io::IReadFile* file);

//! Checks that the zip archive in the file is one Irrlicht reads safely: its
//! end of central directory record is where Irrlicht looks for it and inside
//! the file, every central entry has a local header and data inside the file
//! that agree with it (name, method, flags, sizes, data descriptors), entries
//! do not overlap, and every entry is stored or deflated, unencrypted, within
//! the bounds above. False, with a short reason for the log, when refused.
bool checkZipArchive(irr::io::IReadFile* file, const char*& refusal);

} // namespace orv
