#pragma once
// Zip archives made in the test: stored entries with their sizes in every
// header, or deflated entries written as a streaming writer does, with flag
// bit 3 set, zeros in the local headers and a data descriptor after the data.

#include <string>
#include <utility>
#include <vector>

namespace orv::test {

//! The bytes of a zip holding the files (name inside the archive, bytes).
std::string makeZip(const std::vector<std::pair<std::string, std::string>>& files);
//! The same files, deflated and streamed.
std::string makeStreamedZip(const std::vector<std::pair<std::string, std::string>>& files);

} // namespace orv::test
