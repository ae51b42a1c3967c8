#include "XServer.h"

#include <dlfcn.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace orv {
namespace test {

namespace {

// Reads the display number Xvfb writes once it accepts connections.
std::string readDisplayNumber(int fd, int timeoutMs)
{
	std::string number;
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
	while (std::chrono::steady_clock::now() < deadline)
	{
		pollfd waiting{fd, POLLIN, 0};
		if (::poll(&waiting, 1, 100) <= 0)
			continue;
		char c;
		const ssize_t got = ::read(fd, &c, 1);
		if (got <= 0)
			break;
		if (c == '\n')
			return number;
		number += c;
	}
	return std::string();
}

struct SDisplayCloser
{
	void operator()(Display* display) const { XCloseDisplay(display); }
};
typedef std::unique_ptr<Display, SDisplayCloser> DisplayPtr;

DisplayPtr openDisplay(const std::string& name)
{
	return DisplayPtr(XOpenDisplay(name.c_str()));
}

std::string nameOf(Display* display, Window window)
{
	XTextProperty property;
	if (!XGetWMName(display, window, &property))
		return std::string();
	std::string name;
	char** list = nullptr;
	int count = 0;
	if (property.encoding == XA_STRING)
	{
		name.assign(reinterpret_cast<const char*>(property.value), property.nitems);
	}
	else if (XmbTextPropertyToTextList(display, &property, &list, &count) >= Success && count > 0 && list)
	{
		name = list[0];
	}
	if (list)
		XFreeStringList(list);
	if (property.value)
		XFree(property.value);
	return name;
}

} // namespace

std::string runCommand(const std::string& command)
{
	std::string output;
	FILE* pipe = ::popen(command.c_str(), "r");
	if (!pipe)
		return output;
	char buffer[4096];
	size_t got;
	while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		output.append(buffer, got);
	::pclose(pipe);
	return output;
}

void keepGraphicsLibrariesLoaded()
{
	for (const char* library : {"libGLX_mesa.so.0", "libglapi.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
		::dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
}

CXvfb::CXvfb()
{
	int fds[2];
	if (::pipe(fds) != 0)
		return;
	const pid_t pid = ::fork();
	if (pid == 0)
	{
		::close(fds[0]);
		const int devNull = ::open("/dev/null", O_WRONLY);
		if (devNull >= 0)
		{
			::dup2(devNull, 1);
			::dup2(devNull, 2);
		}
		const std::string fd = std::to_string(fds[1]);
		::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
			"-noreset", static_cast<char*>(nullptr));
		::_exit(127);
	}
	::close(fds[1]);
	if (pid < 0)
	{
		::close(fds[0]);
		return;
	}
	Pid = pid;
	const std::string number = readDisplayNumber(fds[0], 20000);
	::close(fds[0]);
	if (!number.empty())
		Display = ":" + number;
}

CXvfb::~CXvfb()
{
	if (Pid <= 0)
		return;
	::kill(Pid, SIGTERM);
	int status = 0;
	::waitpid(Pid, &status, 0);
}

namespace x11 {

unsigned long waitForWindow(const std::string& displayName, const std::string& namePrefix, int timeoutMs)
{
	DisplayPtr display = openDisplay(displayName);
	if (!display)
		return 0;
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
	do
	{
		Window root, parent;
		Window* children = nullptr;
		unsigned int count = 0;
		Window found = 0;
		if (XQueryTree(display.get(), DefaultRootWindow(display.get()), &root, &parent, &children, &count))
		{
			for (unsigned int i = 0; i < count && !found; ++i)
				if (nameOf(display.get(), children[i]).compare(0, namePrefix.size(), namePrefix) == 0)
					found = children[i];
			if (children)
				XFree(children);
		}
		if (found)
			return found;
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	} while (std::chrono::steady_clock::now() < deadline);
	return 0;
}

std::string windowName(const std::string& displayName, unsigned long window)
{
	DisplayPtr display = openDisplay(displayName);
	return display ? nameOf(display.get(), window) : std::string();
}

bool sendDeleteWindow(const std::string& displayName, unsigned long window)
{
	DisplayPtr display = openDisplay(displayName);
	if (!display)
		return false;
	XEvent event;
	std::memset(&event, 0, sizeof(event));
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
	event.xclient.data.l[1] = CurrentTime;
	const Status sent = XSendEvent(display.get(), window, False, NoEventMask, &event);
	XSync(display.get(), False);
	return sent != 0;
}

std::string pixel(const std::string& displayName, unsigned long window, int x, int y)
{
	const std::string command = "xwd -display " + displayName + " -id " + std::to_string(window) +
		" -silent | convert xwd:- -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) + " txt:- 2>/dev/null";
	const std::string text = runCommand(command);
	// The first line is ImageMagick's own header, which holds a '#' too.
	const std::string::size_type hash = text.find('#', text.find('\n'));
	if (hash == std::string::npos || hash + 7 > text.size())
		return std::string();
	return text.substr(hash, 7);
}

bool click(const std::string& displayName, unsigned long window, int x, int y)
{
	DisplayPtr display = openDisplay(displayName);
	if (!display)
		return false;
	XEvent event;
	std::memset(&event, 0, sizeof(event));
	event.xmotion.type = MotionNotify;
	event.xmotion.window = window;
	event.xmotion.x = x;
	event.xmotion.y = y;
	bool sent = XSendEvent(display.get(), window, True, PointerMotionMask, &event) != 0;
	for (int type : {ButtonPress, ButtonRelease})
	{
		std::memset(&event, 0, sizeof(event));
		event.xbutton.type = type;
		event.xbutton.window = window;
		event.xbutton.button = Button1;
		event.xbutton.x = x;
		event.xbutton.y = y;
		event.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
		event.xbutton.same_screen = True;
		sent = XSendEvent(display.get(), window, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask,
				   &event) != 0 &&
			sent;
		XSync(display.get(), False);
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	return sent;
}

bool key(const std::string& displayName, unsigned long window, const char* keyName, bool down)
{
	DisplayPtr display = openDisplay(displayName);
	const KeySym symbol = XStringToKeysym(keyName);
	if (!display || symbol == NoSymbol)
		return false;
	XEvent event;
	std::memset(&event, 0, sizeof(event));
	event.xkey.type = down ? KeyPress : KeyRelease;
	event.xkey.window = window;
	event.xkey.root = DefaultRootWindow(display.get());
	event.xkey.keycode = XKeysymToKeycode(display.get(), symbol);
	event.xkey.same_screen = True;
	const bool sent = XSendEvent(display.get(), window, True, down ? KeyPressMask : KeyReleaseMask, &event) != 0;
	XSync(display.get(), False);
	return sent;
}

SScreenshot screenshot(const std::string& displayName, unsigned long window, const std::string& artifact)
{
	SScreenshot shot;
	{
		DisplayPtr display = openDisplay(displayName);
		XWindowAttributes attributes;
		if (!display || !XGetWindowAttributes(display.get(), window, &attributes))
			return shot;
		shot.width = attributes.width;
		shot.height = attributes.height;
	}
	const std::string capture = "xwd -display " + displayName + " -id " + std::to_string(window) + " -silent";
	shot.rgb = runCommand(capture + " | convert xwd:- -depth 8 rgb:- 2>/dev/null");
	if (!artifact.empty())
	{
		const std::string folder = std::string(ORV_BINARY_DIR) + "/tests/artifacts/";
		std::filesystem::create_directories(folder);
		runCommand(capture + " | convert xwd:- " + folder + artifact + ".png 2>/dev/null");
	}
	return shot;
}

SScreenshot waitForScreenshot(const std::string& displayName, unsigned long window,
	const std::function<bool(const SScreenshot&)>& ready, int timeoutMs, const std::string& artifact)
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
	SScreenshot shot;
	do
	{
		shot = screenshot(displayName, window);
		if (!shot.empty() && ready(shot))
			break;
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	} while (std::chrono::steady_clock::now() < deadline);
	if (!artifact.empty() && !shot.empty())
	{
		const std::string folder = std::string(ORV_BINARY_DIR) + "/tests/artifacts/";
		std::filesystem::create_directories(folder);
		const std::string raw = folder + artifact + ".rgb";
		{
			std::ofstream out(raw, std::ios::binary);
			out.write(shot.rgb.data(), static_cast<std::streamsize>(shot.rgb.size()));
		}
		runCommand("convert -size " + std::to_string(shot.width) + "x" + std::to_string(shot.height) +
			" -depth 8 rgb:" + raw + " " + folder + artifact + ".png 2>/dev/null");
		std::filesystem::remove(raw);
	}
	return shot;
}

} // namespace x11

} // namespace test
} // namespace orv
