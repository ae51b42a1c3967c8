#pragma once

#include <string>

namespace orv {
namespace net {

//! Whether a file name from the server stays inside its download folder.
/** Checked on the UTF-8 form the file will be written under. Refused: an empty name, an absolute
    one, any component (split on '/' and '\') that is empty, "." or "..", and any ':' or control
    character. Relative subfolders pass. */
bool isSafeDownloadName(const std::string& utf8);

//! A server's name or path as it may go to the console: control characters would let it write
//! there, and a name can fill a whole packet, so a line shows its first KiB.
std::string printableName(std::string text);

} // namespace net
} // namespace orv
