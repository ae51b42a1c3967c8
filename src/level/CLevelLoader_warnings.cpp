#include "level/CLevelLoader.h"

#include <cstring>
#include <string>
#include <string_view>

#include "base/Refusal.h"

namespace orv {

bool CLevelLoader::isKnownElement(const char* name, std::initializer_list<const char*> known)
{
	for (const char* each : known)
		if (std::strcmp(name, each) == 0)
			return true;
	if (WarningsCut || Reading.empty())
		return false;
	std::set<std::string, std::less<>>& unknown = Reading.back().unknownElements;
	if (unknown.find(std::string_view(name)) != unknown.end())
		return false;
	if (unknown.size() < MAX_NAMED_WARNINGS)
		unknown.emplace(name);
	// A misspelt element would otherwise leave its object without what it
	// was meant to give, and nothing would say why.
	const std::string file = Reading.empty() ? std::string() : Reading.back().name;
	warnOncePerLoad("element " + std::string(name),
		"Level " + file + ": the element <" + name + "> is not one a level reads there; it is ignored.");
	return false;
}

void CLevelLoader::warnOncePerLoad(const std::string& key, const std::string& line)
{
	if (WarningsCut)
		return;
	const std::string file = Reading.empty() ? std::string() : Reading.back().name;
	const std::string fileKey = file + '\n' + key;
	if (Warned.count(fileKey) != 0)
		return;
	if (Warned.size() >= MAX_NAMED_WARNINGS)
	{
		WarningsCut = true;
		return reportRefusal("level",
			"Level " + file + ": more than " + std::to_string(MAX_NAMED_WARNINGS) +
				" unknown elements or unread script files; further ones are not named.");
	}
	Warned.insert(fileKey);
	reportRefusal("level", line);
}

} // namespace orv
