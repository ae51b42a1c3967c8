#pragma once
// A script file of a package, read whole as text.

#include <path.h>

#include "base/ustring16.h"

namespace irr::io {
class IFileSystem;
}

namespace orv {

//! No script of a package comes near this; a larger file is not read.
const size_t MAX_TEXT_FILE_SIZE = 16u << 20;

//! The file's bytes as text (UTF-8 unless a byte-order mark says otherwise);
//! false, with an empty text, when it cannot be opened or read, or is empty
//! or too large.
bool readTextFile(irr::io::IFileSystem* fileSystem, const irr::io::path& fileName, irr::core::ustring16& text);

} // namespace orv
