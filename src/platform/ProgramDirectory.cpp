#include "platform/ProgramDirectory.h"

#include <unistd.h>

#include <vector>

namespace orv {
namespace platform {

namespace {

// readlink gives no length up front; grow until the whole path fits.
std::string readExecutablePath()
{
	std::vector<char> buffer(256);
	while (buffer.size() <= (1u << 20))
	{
		const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
		if (length < 0)
			return std::string();
		if (static_cast<size_t>(length) < buffer.size())
			return std::string(buffer.data(), static_cast<size_t>(length));
		buffer.resize(buffer.size() * 2);
	}
	return std::string();
}

std::string currentDirectory()
{
	std::vector<char> buffer(256);
	while (buffer.size() <= (1u << 20))
	{
		if (::getcwd(buffer.data(), buffer.size()))
			return std::string(buffer.data());
		buffer.resize(buffer.size() * 2);
	}
	return std::string();
}

} // namespace

std::string folderOfPath(const std::string& path)
{
	const std::string::size_type slash = path.rfind('/');
	if (slash == std::string::npos)
		return std::string();
	return path.substr(0, slash + 1);
}

std::string getProgramDirectory()
{
	std::string folder = folderOfPath(readExecutablePath());
	if (!folder.empty())
		return folder;
	folder = currentDirectory();
	if (!folder.empty() && folder[0] == '/')
	{
		if (folder.back() != '/')
			folder += '/';
		return folder;
	}
	return "./";
}

} // namespace platform
} // namespace orv
