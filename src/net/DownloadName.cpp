#include "net/DownloadName.h"

namespace orv {
namespace net {

namespace {

bool isSeparator(char c)
{
	return c == '/' || c == '\\';
}

bool isRefusedByte(const std::string& text, std::size_t i)
{
	const unsigned char c = static_cast<unsigned char>(text[i]);
	if (c < 0x20 || c == 0x7F || c == ':')
		return true;
	// U+0080 to U+009F, the second block of control characters, in its two-byte UTF-8 form.
	return c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

} // namespace

bool isSafeDownloadName(const std::string& utf8)
{
	if (utf8.empty())
		return false;
	std::size_t start = 0;
	for (std::size_t i = 0; i <= utf8.size(); ++i)
	{
		if (i < utf8.size() && !isSeparator(utf8[i]))
		{
			if (isRefusedByte(utf8, i))
				return false;
			continue;
		}
		// A leading separator makes the first component empty, so absolute names end here too.
		const std::string component = utf8.substr(start, i - start);
		if (component.empty() || component == "." || component == "..")
			return false;
		start = i + 1;
	}
	return true;
}

std::string printableName(std::string text)
{
	const std::size_t shownBytes = 1024;
	if (text.size() > shownBytes)
		text.resize(shownBytes);
	for (char& c : text)
		if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
			c = '?';
	return text;
}

} // namespace net
} // namespace orv
