#pragma once
// The bounds a zip package must keep before its archive is mounted. libzip
// reads the archive's structure, refuses what is inconsistent and checks the
// CRC of what it inflates; what it leaves to the client is how much an
// archive may hold: how many entries, how long their names, how large each
// file once unpacked, and which of its compression methods are read at all.

#include <irrTypes.h>

struct zip;

namespace orv {

//! Entries of one archive: each costs a list item with two names.
const irr::u32 ZIP_MAX_ENTRIES = 16384;
//! Bytes of an entry's name, folders included; far beyond any content path.
const irr::u32 ZIP_MAX_NAME_BYTES = 1024;
//! An entry is unpacked whole into memory when it is opened, to be checked
//! before anyone reads it; no file the client reads whole is larger.
const irr::u32 ZIP_MAX_ENTRY_BYTES = 256u << 20;

//! Checks every entry of the archive libzip opened: at most ZIP_MAX_ENTRIES,
//! each with a name of 1 to ZIP_MAX_NAME_BYTES bytes, stored or deflated and
//! not encrypted, at most ZIP_MAX_ENTRY_BYTES unpacked and no more than its
//! packed size can give. False, with a short reason for the log, when refused.
bool checkZipEntries(zip* archive, const char*& refusal);

} // namespace orv
