#include "world/WorldMemory.h"

#include <string>

#include "base/Refusal.h"
#include "world/CAttributeList.h"

namespace orv {

CMemoryBound& getWorldMemory()
{
	static CMemoryBound bound(DEFAULT_WORLD_MEMORY_LIMIT);
	return bound;
}

std::size_t attributeHeldBytes(const irr::core::ustring16& name, const irr::core::ustring16& text)
{
	return WORLD_ATTRIBUTE_BYTES + (name.size_raw() + text.size_raw()) * sizeof(char16_t);
}

std::size_t attributeHeldBytes(const SAttribute& attribute)
{
	return attributeHeldBytes(attribute.name, attribute.textValue);
}

std::size_t attributeCopyBytes(const CAttributeList& list)
{
	std::size_t bytes = 0;
	for (const auto& entry : list.getAttributes())
		if (entry.second->type > EAT_INVALID && entry.second->type < EPT_COUNT)
			bytes += attributeHeldBytes(*entry.second);
	return bytes;
}

void reportWorldMemoryFull(const char* what)
{
	reportRefusalOnce("core", "content: objects",
		"Objects and tile maps hold all the memory they may (" + std::to_string(getWorldMemory().getLimit() >> 20) +
			" MiB); " + what + " and what comes after are refused.");
}

} // namespace orv
