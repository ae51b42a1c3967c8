#pragma once

#include <string>

namespace orv {
namespace platform {

//! Whether a file or folder of that path exists, exactly as spelled.
bool pathExists(const std::string& path);

//! The spelling on disk of a path whose components match those of `path`
/** when ASCII case is ignored. Each component is taken as written when it
    exists, otherwise the first entry of its folder, in name order, that
    matches it ignoring case: content made where names ignore case then
    still finds its files. A relative path is looked up from the current
    directory and stays relative. Empty components and "." are kept as
    they are. False, with `found` untouched, when some component matches
    nothing. */
bool findPathIgnoringCase(const std::string& path, std::string& found);

} // namespace platform
} // namespace orv
