#include "platform/FolderListing.h"

#include <dirent.h>

#include <algorithm>

namespace orv {
namespace platform {

std::vector<std::string> listFolder(const std::string& folder)
{
	std::vector<std::string> names;
	DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
	if (!dir)
		return names;
	while (const dirent* entry = ::readdir(dir))
	{
		const std::string name(entry->d_name);
		if (name != "." && name != "..")
			names.push_back(name);
	}
	::closedir(dir);
	std::sort(names.begin(), names.end());
	return names;
}

} // namespace platform
} // namespace orv
