#pragma once
// The files below a folder that is mounted as an archive. Whoever hands out a
// package chooses its links, so the walk never leaves the folder and never
// meets a folder twice: a link back up would otherwise list without end.

#include <string>
#include <vector>

namespace orv {
namespace platform {

//! One file or folder below the walked folder.
struct SFolderTreeEntry
{
	//! Below the walked folder, '/' between folders.
	std::string relative;
	//! Absolute with every link resolved: what is opened.
	std::string real;
	bool isFolder = false;
	unsigned long long bytes = 0;
};

//! Every regular file and folder below the folder (which may itself be named
//! through a link), walked without recursion. A link is taken only to a file
//! inside the folder; a link to a folder is never entered, since a folder
//! inside is listed where it lies; a folder met twice (a bind mount) is listed
//! once. Pipes, sockets and devices are left out: reading them would block or
//! never end. False when the folder is none or cannot be read.
bool listFolderTree(const std::string& folder, std::vector<SFolderTreeEntry>& entries);

} // namespace platform
} // namespace orv
