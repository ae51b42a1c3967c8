#include "platform/PathCase.h"

#include "platform/FolderListing.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

namespace orv {
namespace platform {

namespace {

char lowerAscii(char c)
{
	return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
	if (a.size() != b.size())
		return false;
	for (size_t i = 0; i < a.size(); ++i)
		if (lowerAscii(a[i]) != lowerAscii(b[i]))
			return false;
	return true;
}

} // namespace

bool pathExists(const std::string& path)
{
	struct stat info;
	return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool findPathIgnoringCase(const std::string& path, std::string& found)
{
	if (path.empty())
		return false;

	// `result` always ends in '/' or is empty, so it is the folder the next
	// component is looked up in.
	std::string result;
	size_t begin = 0;
	if (path[0] == '/')
	{
		result = "/";
		begin = 1;
	}
	while (begin <= path.size())
	{
		size_t end = path.find('/', begin);
		const bool last = end == std::string::npos;
		if (last)
			end = path.size();
		const std::string component = path.substr(begin, end - begin);
		std::string spelled = component;
		if (!component.empty() && component != "." && component != ".." && !pathExists(result + component))
		{
			spelled.clear();
			for (const std::string& name : listFolder(result))
				if (equalIgnoringCase(name, component))
				{
					spelled = name;
					break;
				}
			if (spelled.empty())
				return false;
		}
		result += spelled;
		if (last)
			break;
		result += '/';
		begin = end + 1;
	}
	found = result;
	return true;
}

} // namespace platform
} // namespace orv
