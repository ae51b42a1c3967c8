#pragma once

#include <vector>

#include <irrTypes.h>

namespace orv {

//! Walks a PNG file's chunks up to IEND and takes the text chunks (tEXt,
//! zTXt, iTXt) out of its bytes, in place; the rest stays as it was. libpng
//! inflates every compressed text chunk it reads, up to a thousand of up to
//! 8 MB each, though the client never shows their text: a file of a few
//! megabytes would cost gigabytes. Null, or the reason the file is refused:
//! a chunk that runs past the file's end, for which libpng would take the
//! memory its length says before it finds the file short.
const char* dropPngText(std::vector<irr::u8>& bytes);

} // namespace orv
