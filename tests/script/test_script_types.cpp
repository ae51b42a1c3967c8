#include "support/script_runner.h"

#include "script/bindings/GeometryRegistrar.h"

#include <angelscript.h>
#include <gtest/gtest.h>

#include <set>

namespace {

using namespace AngelScript;
using orv::test::CScriptRunner;

const void* globalAddress(asIScriptEngine* engine, const char* name)
{
	void* address = nullptr;
	const int index = engine->GetGlobalPropertyIndexByName(name);
	EXPECT_GE(index, 0) << name;
	if (index >= 0)
		engine->GetGlobalPropertyByIndex(index, nullptr, nullptr, nullptr, nullptr, nullptr, &address);
	return address;
}

TEST(ScriptTypes, ConstantsHoldIrrlichtValuesInTheirOwnPrecision)
{
	struct Case
	{
		const char* name;
		bool isDouble;
		double expected;
	};
	const Case cases[] = {
		{"ROUNDING_ERROR_f32", false, 0.000001f},
		{"ROUNDING_ERROR_f64", true, 0.00000001},
		{"PI", false, 3.14159274f},
		{"PI64", true, 3.141592653589793},
		{"RECIPROCAL_PI", false, 0.318309873f},
		{"RECIPROCAL_PI64", true, 0.3183098861837907},
		{"HALF_PI", false, 1.57079637f},
		{"DEGTORAD", false, 0.0174532924f},
		{"DEGTORAD64", true, 0.017453292519943295},
		{"RADTODEG", false, 57.2957764f},
		{"RADTODEG64", true, 57.29577951308232},
	};
	CScriptRunner runner;
	for (const Case& c : cases)
	{
		const void* address = globalAddress(runner.engine(), c.name);
		ASSERT_NE(address, nullptr) << c.name;
		if (c.isDouble)
			EXPECT_EQ(*static_cast<const double*>(address), c.expected) << c.name;
		else
			EXPECT_EQ(*static_cast<const float*>(address), static_cast<float>(c.expected)) << c.name;
	}
}

TEST(ScriptTypes, TypedefsAndConstantsInScripts)
{
	CScriptRunner runner;
	runner.runChecks({
		"f32(PI) == PI",
		"s64(-9000000000) < 0",
		"u8(255) + 1 == 256",
		"u8(256) == 0",
		"c8(-1) < 0",
		"u16(65535) == 65535",
		"abs(RADTODEG * PI - 180.0f) < 0.0001f",
		"abs(RADTODEG64 * PI64 - 180.0) < 1e-12",
		"abs(DEGTORAD * 180.0f - PI) < 0.000001f",
		"HALF_PI * 2 == PI",
	});
}

TEST(ScriptTypes, ConstantsCannotBeAssigned)
{
	const char* names[] = {"PI", "PI64", "ROUNDING_ERROR_f32", "RADTODEG64"};
	for (const char* name : names)
	{
		CScriptRunner runner;
		EXPECT_TRUE(runner.buildFails(std::string("void main() { ") + name + " = 1; }")) << name;
	}
}

TEST(ScriptTypes, EnumValuesMatchIrrlicht)
{
	CScriptRunner runner;
	runner.runChecks({
		"KEY_KANA == 21",
		"KEY_HANGUEL == 21",
		"KEY_HANGUL == 21",
		"KEY_HANJA == 25",
		"KEY_KANJI == 25",
		"KEY_LBUTTON == 1",
		"KEY_OEM_CLEAR == 254",
		"KEY_KEY_A == 65",
		"KEY_F24 == 135",
		"KEY_PLUS == 187",
		"EAC_OFF == 0",
		"EAC_FRUSTUM_BOX == 2",
		"EAC_FRUSTUM_SPHERE == 4",
		"EMIE_LMOUSE_PRESSED_DOWN == 0",
		"EMIE_MOUSE_WHEEL == 7",
		"EMIE_COUNT == 14",
		"ELT_POINT == 0",
		"ELT_SPOT == 1",
		"ELT_DIRECTIONAL == 2",
		"EMF_LIGHTING | EMF_ZBUFFER == 24",
		"EMF_WIREFRAME == 1",
		"EMF_TEXTURE_WRAP == 8192",
		"EMT_SOLID == 0",
		"EMT_TRANSPARENT_ALPHA_CHANNEL == 13",
		"EMT_ONETEXTURE_BLEND == 23",
		"EGUIA_UPPERLEFT == 0",
		"EGUIA_SCALE == 3",
	});
}

// Counts, ranges and gaps that a script key value relies on.
TEST(ScriptTypes, EnumShapes)
{
	struct Case
	{
		const char* name;
		asUINT count;
		int lowest;
		int highest;
	};
	const Case cases[] = {
		{"E_CULLING_TYPE", 4, 0, 4},
		{"EKEY_CODE", 143, 1, 254},
		{"EMOUSE_INPUT_EVENT", 15, 0, 14},
		{"E_LIGHT_TYPE", 3, 0, 2},
		{"E_MATERIAL_FLAG", 14, 1, 8192},
		{"E_MATERIAL_TYPE", 24, 0, 23},
		{"EGUI_ALIGNMENT", 4, 0, 3},
	};
	CScriptRunner runner;
	for (const Case& c : cases)
	{
		asITypeInfo* type = runner.engine()->GetTypeInfoByName(c.name);
		ASSERT_NE(type, nullptr) << c.name;
		EXPECT_EQ(type->GetEnumValueCount(), c.count) << c.name;
		std::set<int> values;
		for (asUINT i = 0; i < type->GetEnumValueCount(); ++i)
		{
			int value = 0;
			type->GetEnumValueByIndex(i, &value);
			values.insert(value);
			EXPECT_GE(value, c.lowest) << c.name;
			EXPECT_LE(value, c.highest) << c.name;
		}
		if (std::string(c.name) == "E_CULLING_TYPE")
			EXPECT_EQ(values.count(3), 0u);
	}
}

TEST(ScriptTypes, CompanionTypeNames)
{
	struct Case
	{
		const char* scalar;
		const char* vector2d;
		const char* vector3d;
		const char* dimension;
	};
	const Case cases[] = {
		{"f32", "vector2df", "vector3df", "dimension2df"},
		{"s32", "vector2di", "vector3di", "dimension2di"},
		{"f64", "", "", ""},
		{"", "", "", ""},
		{"f32 ", "", "", ""},
	};
	for (const Case& c : cases)
	{
		EXPECT_EQ(orv::script::getVector2dTypeName(c.scalar), c.vector2d) << c.scalar;
		EXPECT_EQ(orv::script::getVector3dTypeName(c.scalar), c.vector3d) << c.scalar;
		EXPECT_EQ(orv::script::getDimension2dTypeName(c.scalar), c.dimension) << c.scalar;
	}
}

} // namespace
