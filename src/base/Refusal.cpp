#include "base/Refusal.h"

#include <map>

#include "base/Log.h"

namespace orv {

namespace {

// Few kinds (one per bound), looked up only when something is refused.
std::map<std::string, unsigned long>& refusalCounts()
{
	static std::map<std::string, unsigned long> counts;
	return counts;
}

} // namespace

void reportRefusal(const char* channel, const std::string& line)
{
	logLine(channel, line.c_str(), irr::ELL_WARNING);
}

void reportRefusalOnce(const char* channel, const char* kind, const std::string& line)
{
	if (refusalCounts()[kind]++ == 0)
		reportRefusal(channel, line);
}

unsigned long countRefusals(const char* kind)
{
	const auto found = refusalCounts().find(kind);
	return found == refusalCounts().end() ? 0 : found->second;
}

void forgetRefusals()
{
	refusalCounts().clear();
}

} // namespace orv
