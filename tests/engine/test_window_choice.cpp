#include <gtest/gtest.h>

#include "engine/CIniFile.h"
#include "engine/SWindowChoice.h"

using irr::video::EDT_BURNINGSVIDEO;
using irr::video::EDT_OPENGL;

TEST(WindowChoice, FollowsTheWindowSettings)
{
	struct Case
	{
		const char* name;
		const char* driver;
		const char* vsync;
		const char* width;
		const char* height;
		irr::video::E_DRIVER_TYPE expectedDriver;
		bool expectedDx9Replaced;
		bool expectedVsync;
		irr::u32 expectedWidth;
		irr::u32 expectedHeight;
	};
	const Case cases[] = {
		{"defaults", "opengl", nullptr, "800", "600", EDT_OPENGL, false, false, 800, 600},
		{"software", "software", nullptr, "1024", "768", EDT_BURNINGSVIDEO, false, false, 1024, 768},
		{"dx9 without Direct3D", "dx9", nullptr, "800", "600", EDT_OPENGL, true, false, 800, 600},
		{"DX9 is no driver name", "DX9", nullptr, "800", "600", EDT_OPENGL, false, false, 800, 600},
		{"direct3d is no driver name", "direct3d", nullptr, "800", "600", EDT_OPENGL, false, false, 800, 600},
		{"Software is no driver name", "Software", nullptr, "800", "600", EDT_OPENGL, false, false, 800, 600},
		{"vsync on", "opengl", "on", "800", "600", EDT_OPENGL, false, true, 800, 600},
		{"vsync On", "opengl", "On", "800", "600", EDT_OPENGL, false, false, 800, 600},
		{"vsync yes", "opengl", "yes", "800", "600", EDT_OPENGL, false, false, 800, 600},
		{"zero width", "opengl", nullptr, "0", "700", EDT_OPENGL, false, false, 800, 600},
		{"negative height", "opengl", nullptr, "640", "-480", EDT_OPENGL, false, false, 800, 600},
		{"largest side", "opengl", nullptr, "16384", "16384", EDT_OPENGL, false, false, 16384, 16384},
		{"side too large", "opengl", nullptr, "16385", "600", EDT_OPENGL, false, false, 800, 600},
		{"width not a number", "opengl", nullptr, "wide", "600", EDT_OPENGL, false, false, 800, 600},
		{"number with a tail", "opengl", nullptr, "1280px", "720", EDT_OPENGL, false, false, 1280, 720},
	};
	for (const Case& c : cases)
	{
		orv::CIniSection window("Window");
		window.set("driver", c.driver);
		if (c.vsync)
			window.set("vsync", c.vsync);
		window.set("width", c.width);
		window.set("height", c.height);
		const orv::SWindowChoice choice = orv::chooseWindow(window);
		EXPECT_EQ(choice.driver, c.expectedDriver) << c.name;
		EXPECT_EQ(choice.dx9Replaced, c.expectedDx9Replaced) << c.name;
		EXPECT_EQ(choice.vsync, c.expectedVsync) << c.name;
		EXPECT_EQ(choice.size, irr::core::dimension2du(c.expectedWidth, c.expectedHeight)) << c.name;
		EXPECT_EQ(window.get("width"), irr::core::ustring16(c.width)) << c.name << ": settings stay as written";
	}
}
