#pragma once
// Zip archives made in the test: stored entries (no compression), enough for
// Irrlicht's zip reader.

#include <string>
#include <utility>
#include <vector>

namespace orv::test {

//! The bytes of a zip holding the files (name inside the archive, bytes).
std::string makeZip(const std::vector<std::pair<std::string, std::string>>& files);

} // namespace orv::test
