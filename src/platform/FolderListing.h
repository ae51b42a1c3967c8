#pragma once

#include <string>
#include <vector>

namespace orv {
namespace platform {

//! The entries of a folder (files and folders) in name order, "." and ".."
//! left out; empty when it cannot be read. An empty folder name means ".".
std::vector<std::string> listFolder(const std::string& folder);

} // namespace platform
} // namespace orv
