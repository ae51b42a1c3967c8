#pragma once
// A window of Irrlicht's own on a private X server, for tests that look at
// what a driver really drew. The picture is taken from the X server, as a
// user would see it, not read back through the driver.

#include <string>

#include <EDriverTypes.h>
#include <IrrlichtDevice.h>

#include "support/XServer.h"

namespace orv {
namespace test {

class CTestWindow
{
public:
	//! Starts an X server and opens a window of that size with the driver;
	//! `isOpen` says whether both worked.
	CTestWindow(irr::video::E_DRIVER_TYPE driver, irr::u32 width, irr::u32 height);
	~CTestWindow();
	CTestWindow(const CTestWindow&) = delete;
	CTestWindow& operator=(const CTestWindow&) = delete;

	bool isOpen() const { return Device != nullptr; }
	irr::IrrlichtDevice* device() const { return Device; }

	//! The window's picture from the X server, also written as a PNG named
	//! `artifact` under the build's tests/artifacts folder when not empty.
	SScreenshot screenshot(const std::string& artifact = std::string());

private:
	CXvfb Server;
	irr::IrrlichtDevice* Device = nullptr;
	std::string Caption;
};

} // namespace test
} // namespace orv
