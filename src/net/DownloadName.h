#pragma once

#include <string>

namespace orv {
namespace net {

//! Whether a file name from the server stays inside its download folder.
/** Checked on the UTF-8 form the file will be written under. Refused: an empty name, an absolute
    one, any component (split on '/' and '\') that is empty, "." or "..", and any ':' or control
    character. Relative subfolders pass. */
bool isSafeDownloadName(const std::string& utf8);

} // namespace net
} // namespace orv
