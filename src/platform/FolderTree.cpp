#include "platform/FolderTree.h"

#include <sys/stat.h>

#include <cstdlib>
#include <set>
#include <utility>

#include "platform/FolderListing.h"

namespace orv {
namespace platform {

namespace {

// The path with every link resolved; empty when it leads nowhere.
std::string resolved(const std::string& path)
{
	char* real = ::realpath(path.c_str(), nullptr);
	if (!real)
		return std::string();
	const std::string result(real);
	std::free(real);
	return result;
}

bool isInside(const std::string& path, const std::string& root)
{
	if (root == "/")
		return true;
	return path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/';
}

struct SPending
{
	std::string relative; // empty for the root
	std::string real;
};

} // namespace

bool listFolderTree(const std::string& folder, std::vector<SFolderTreeEntry>& entries)
{
	entries.clear();
	const std::string root = resolved(folder.empty() ? "." : folder);
	struct stat info;
	if (root.empty() || ::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
		return false;

	std::set<std::pair<dev_t, ino_t>> walked{{info.st_dev, info.st_ino}};
	std::vector<SPending> pending{{std::string(), root}};
	while (!pending.empty())
	{
		const SPending at = std::move(pending.back());
		pending.pop_back();
		for (const std::string& name : listFolder(at.real))
		{
			SFolderTreeEntry entry;
			entry.relative = at.relative.empty() ? name : at.relative + "/" + name;
			entry.real = (at.real == "/" ? at.real : at.real + "/") + name;
			if (::lstat(entry.real.c_str(), &info) != 0)
				continue;
			if (S_ISLNK(info.st_mode))
			{
				entry.real = resolved(entry.real);
				if (!isInside(entry.real, root) || ::stat(entry.real.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
					continue;
			}
			if (S_ISDIR(info.st_mode))
			{
				if (!walked.insert({info.st_dev, info.st_ino}).second)
					continue;
				entry.isFolder = true;
				pending.push_back({entry.relative, entry.real});
			}
			else if (S_ISREG(info.st_mode))
				entry.bytes = static_cast<unsigned long long>(info.st_size);
			else
				continue;
			entries.push_back(std::move(entry));
		}
	}
	return true;
}

} // namespace platform
} // namespace orv
