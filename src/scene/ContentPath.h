#pragma once

#include <cstddef>
#include <string>

#include <path.h>

#include "base/ustring16.h"

namespace irr {
namespace io {
class IFileSystem;
class IReadFile;
} // namespace io
} // namespace irr

namespace orv {

//! The path to open for a content name from a level, an animation or a
//! script. Content is often made on Windows: '\' separates folders as '/'
/** does, and a name the file system does not hold as written is looked up
    on disk ignoring case, component by component, from the file system's
    working directory. A name found nowhere comes back with its separators
    turned, so the caller's open fails as it would have. */
irr::io::path resolveContentPath(irr::io::IFileSystem* fileSystem, const irr::core::ustring16& name);

//! The content file of that name opened for reading (the caller drops it),
//! or null.
irr::io::IReadFile* openContentFile(irr::io::IFileSystem* fileSystem, const irr::core::ustring16& name);

//! Every byte of the content file of that name. False, with `bytes` empty,
//! when it does not open, is empty, cannot be read whole or holds more than
//! maxBytes.
bool readContentFile(
	irr::io::IFileSystem* fileSystem, const irr::core::ustring16& name, std::string& bytes, size_t maxBytes);

} // namespace orv
