#pragma once

#include <vector>

#include <irrTypes.h>

namespace orv {

//! Takes the text chunks (tEXt, zTXt, iTXt) out of a PNG file's bytes, in
//! place; the rest stays as it was. libpng inflates every compressed text
//! chunk it reads, up to a thousand of up to 8 MB each, though the client
//! never shows their text: a file of a few megabytes would cost gigabytes.
void dropPngText(std::vector<irr::u8>& bytes);

} // namespace orv
