#include "TestWindow.h"

#include <cstdlib>
#include <filesystem>

#include <irrlicht.h>

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
	if (Device) {
		Device->closeDevice();
		Device->run();
		Device->drop();
	}
	::unsetenv("DISPLAY");
}

SScreenshot CTestWindow::screenshot(const std::string& artifact)
{
	SScreenshot shot;
	if (!Device)
		return shot;
	const unsigned long window = x11::waitForWindow(Server.display(), Caption, 10000);
	if (!window)
		return shot;
	const irr::core::dimension2du size = Device->getVideoDriver()->getScreenSize();
	shot.width = static_cast<int>(size.Width);
	shot.height = static_cast<int>(size.Height);
	const std::string capture = "xwd -display " + Server.display() + " -id " + std::to_string(window) + " -silent";
	shot.rgb = runCommand(capture + " | convert xwd:- -depth 8 rgb:-");
	if (!artifact.empty()) {
		const std::string folder = std::string(ORV_BINARY_DIR) + "/tests/artifacts/";
		std::filesystem::create_directories(folder);
		runCommand(capture + " | convert xwd:- " + folder + artifact + ".png");
	}
	return shot;
}

} // namespace test
} // namespace orv
