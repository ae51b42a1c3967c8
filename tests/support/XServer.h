#pragma once

#include <functional>
#include <string>

#include "support/TestPictures.h"

namespace orv {
namespace test {

//! A private X server (Xvfb, 1024 x 768, 24 bits) for one test, so no two
//! window tests share a display. The server picks its own free display
//! number and tells it through -displayfd.
class CXvfb
{
public:
	CXvfb();
	//! Stops the server.
	~CXvfb();
	CXvfb(const CXvfb&) = delete;
	CXvfb& operator=(const CXvfb&) = delete;

	bool isRunning() const { return Pid > 0 && !Display.empty(); }
	//! ":N", for DISPLAY.
	const std::string& display() const { return Display; }

private:
	int Pid = -1;
	std::string Display;
};

//! The standard output of a shell command; empty when it cannot run.
std::string runCommand(const std::string& command);

//! Mesa unloads its driver when a display closes, and the leak checker cannot
//! name what an unloaded library left behind, so its suppressions would not
//! match: the GL libraries stay mapped for the whole run.
void keepGraphicsLibrariesLoaded();

//! Asks the X server as a window manager or a user would; every call opens
//! its own connection to the display. Windows are X ids, 0 for none.
namespace x11 {

//! The first top-level window whose name begins with the prefix, waiting
//! up to the timeout for it to appear.
unsigned long waitForWindow(const std::string& display, const std::string& namePrefix, int timeoutMs);

//! The window's name (WM_NAME); empty when it has none.
std::string windowName(const std::string& display, unsigned long window);

//! Asks the window to close the way a window manager does: a WM_PROTOCOLS
//! ClientMessage carrying WM_DELETE_WINDOW.
bool sendDeleteWindow(const std::string& display, unsigned long window);

//! The colour "#RRGGBB" of the window's pixel (x, y) in a screenshot that
//! the X server takes (xwd, read by ImageMagick); empty on failure.
std::string pixel(const std::string& display, unsigned long window, int x, int y);

//! A left button press and release at (x, y) of the window, as the X
//! server would deliver them.
bool click(const std::string& display, unsigned long window, int x, int y);

//! A key of that X name ("Right", "a") going down or up in the window.
bool key(const std::string& display, unsigned long window, const char* keyName, bool down);

//! The window's picture as the X server has it (empty on failure), also
//! written as a PNG named `artifact` under the build's tests/artifacts
//! folder when that is not empty.
SScreenshot screenshot(const std::string& display, unsigned long window, const std::string& artifact = std::string());

//! Screenshots of the window, one after another, until one satisfies the
//! condition or the timeout passes: the last one taken (empty when none
//! could be), also written as the artifact when that is not empty. The
//! timeout only ends a broken run; the condition decides.
SScreenshot waitForScreenshot(const std::string& display, unsigned long window,
	const std::function<bool(const SScreenshot&)>& ready, int timeoutMs, const std::string& artifact = std::string());

} // namespace x11

} // namespace test
} // namespace orv
