#pragma once

#include <EDriverTypes.h>
#include <dimension2d.h>

namespace orv {

class CIniSection;

//! The window the [Window] settings ask for, made safe to open.
struct SWindowChoice
{
	irr::video::E_DRIVER_TYPE driver = irr::video::EDT_OPENGL;
	irr::core::dimension2du size{800, 600};
	bool vsync = false;
	//! "dx9" was asked for on a platform without Direct3D 9.
	bool dx9Replaced = false;
};

//! Driver by its exact name ("dx9", "software", anything else OpenGL),
//! vertical sync only for exactly "on", and 800 x 600 for a side that is
//! not a usable window size. The settings themselves are left as they are.
SWindowChoice chooseWindow(const CIniSection& window);

} // namespace orv
