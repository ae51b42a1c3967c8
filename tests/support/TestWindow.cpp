#include "TestWindow.h"

#include <cstdlib>

#include <irrlicht.h>

#include "support/WaitUntil.h"

namespace orv {
namespace test {

namespace {

int windowCount = 0;

} // namespace

CTestWindow::CTestWindow(irr::video::E_DRIVER_TYPE driver, irr::u32 width, irr::u32 height)
	: Caption("Orv test window " + std::to_string(++windowCount))
{
	if (!Server.isRunning())
		return;
	keepGraphicsLibrariesLoaded();
	::setenv("DISPLAY", Server.display().c_str(), 1);
	irr::SIrrlichtCreationParameters parameters;
	parameters.DriverType = driver;
	parameters.WindowSize = irr::core::dimension2du(width, height);
	parameters.Bits = 32;
	Device = irr::createDeviceEx(parameters);
	if (Device)
		Device->setWindowCaption(irr::core::stringw(Caption.c_str()).c_str());
}

CTestWindow::~CTestWindow()
{
	if (Device)
	{
		Device->closeDevice();
		Device->run();
		Device->drop();
	}
	::unsetenv("DISPLAY");
}

SScreenshot CTestWindow::screenshot(const std::string& artifact)
{
	if (!Device)
		return SScreenshot();
	const unsigned long window = x11::waitForWindow(Server.display(), Caption, kGenerousTimeoutMs);
	if (!window)
		return SScreenshot();
	return x11::screenshot(Server.display(), window, artifact);
}

} // namespace test
} // namespace orv
