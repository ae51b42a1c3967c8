#include "world/EngineAttributes.h"

#include <vector>

namespace orv {

namespace {

struct SEngineAttributeRow
{
	EEngineAttribute id;
	const char* name;
	EAttributeType type;
	irr::f32 floatDefault;
};

const SEngineAttributeRow engineAttributes[] = {
	{EP_LEVEL, "EP_LEVEL", EAT_STRING, 0.0f},
	{EP_X, "EP_X", EAT_FLOAT, 0.0f},
	{EP_Y, "EP_Y", EAT_FLOAT, 0.0f},
	{EP_Z, "EP_Z", EAT_FLOAT, 0.0f},
	{EP_SCALE_X, "EP_SCALE_X", EAT_FLOAT, 1.0f},
	{EP_SCALE_Y, "EP_SCALE_Y", EAT_FLOAT, 1.0f},
	{EP_VELOCITY_X, "EP_VELOCITY_X", EAT_FLOAT, 0.0f},
	{EP_VELOCITY_Y, "EP_VELOCITY_Y", EAT_FLOAT, 0.0f},
	{EP_FORCE_X, "EP_FORCE_X", EAT_FLOAT, 0.0f},
	{EP_FORCE_Y, "EP_FORCE_Y", EAT_FLOAT, 0.0f},
	{EP_TORQUE, "EP_TORQUE", EAT_FLOAT, 0.0f},
	{EP_ROTATION, "EP_ROTATION", EAT_FLOAT, 0.0f},
	{EP_DIRECTION, "EP_DIRECTION", EAT_UINT, 0.0f},
	{EP_IMAGE, "EP_IMAGE", EAT_STRING, 0.0f},
};

const size_t ROW_COUNT = sizeof(engineAttributes) / sizeof(engineAttributes[0]);

// Converted once: every scene object takes a copy of each.
const irr::core::ustring16* rowNames()
{
	static const std::vector<irr::core::ustring16> names = [] {
		std::vector<irr::core::ustring16> made;
		for (const SEngineAttributeRow& row : engineAttributes)
			made.emplace_back(row.name);
		return made;
	}();
	return names.data();
}

} // namespace

void setEngineAttributeDefaults(CAttributeList& list)
{
	const irr::core::ustring16* names = rowNames();
	for (size_t i = 0; i < ROW_COUNT; ++i)
	{
		const SEngineAttributeRow& row = engineAttributes[i];
		SAttribute* attribute = list.getOrAdd(names[i], row.id);
		if (!attribute)
			continue;
		switch (row.type)
		{
		case EAT_STRING:
			attribute->setString(irr::core::ustring16());
			break;
		case EAT_FLOAT:
			attribute->setFloat(row.floatDefault);
			break;
		default:
			attribute->setUInt(0);
			break;
		}
	}
}

} // namespace orv
