#include "scene/ContentMisses.h"

#include <string>

#include "base/Refusal.h"

namespace orv {

bool CContentMisses::mayLookFor(const irr::core::ustring16& name) const
{
	if (name.size_raw() > MAX_CONTENT_NAME_UNITS)
		return false;
	if (Misses < MAX_CONTENT_MISSES)
		return true;
	const std::string kind = std::string("content: missing ") + What;
	reportRefusalOnce("core", kind.c_str(),
		"More than " + std::to_string(MAX_CONTENT_MISSES) + " " + What +
			" could not be had; names of further ones are not looked for.");
	return false;
}

} // namespace orv
