#include "engine/SWindowChoice.h"

#include <IrrlichtDevice.h>

#include "engine/CIniFile.h"

namespace orv {

namespace {
// Larger windows are a typing mistake in the settings, not a wish.
const irr::s32 MAX_WINDOW_SIDE = 16384;
} // namespace

SWindowChoice chooseWindow(const CIniSection& window)
{
	SWindowChoice choice;
	const irr::core::ustring16 driver = window.get("driver");
	if (driver == "dx9")
	{
		if (irr::IrrlichtDevice::isDriverSupported(irr::video::EDT_DIRECT3D9))
			choice.driver = irr::video::EDT_DIRECT3D9;
		else
			choice.dx9Replaced = true;
	}
	else if (driver == "software")
	{
		choice.driver = irr::video::EDT_BURNINGSVIDEO;
	}

	choice.vsync = window.get("vsync") == "on";

	const irr::s32 width = window.getNumber("width");
	const irr::s32 height = window.getNumber("height");
	if (width > 0 && height > 0 && width <= MAX_WINDOW_SIDE && height <= MAX_WINDOW_SIDE)
		choice.size = irr::core::dimension2du(static_cast<irr::u32>(width), static_cast<irr::u32>(height));
	return choice;
}

} // namespace orv
