// From start to the first drawn frame of the login screen, and the peak
// memory of the whole run, of the client against LÖVE 11.4 (Debian's
// `love`) opening a window and drawing its first frame. Both programs start
// as fresh processes in turn; the first frame counts when the window's
// title says it was drawn (the client writes its frame rate into the
// caption while drawing its first frame; the LÖVE game sets its title in
// its first love.draw). Needs an X display: run it as
// `xvfb-run -a bench/bench_first_frame [runs]` from a release build.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const int DEFAULT_RUNS = 5;
const int TIMEOUT_MS = 30000;

struct SRun
{
	double firstFrameMs = -1;
	long peakKiB = -1;
};

std::string windowName(Display* display, Window window)
{
	XTextProperty property;
	if (!XGetWMName(display, window, &property) || !property.value)
		return std::string();
	std::string name(reinterpret_cast<const char*>(property.value), property.nitems);
	XFree(property.value);
	return name;
}

// The top-level window whose name begins with the prefix; 0 when none.
Window findWindow(Display* display, const std::string& prefix)
{
	Window root, parent, *children = nullptr;
	unsigned int count = 0;
	Window found = 0;
	if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
	{
		for (unsigned int i = 0; i < count && !found; ++i)
			if (windowName(display, children[i]).compare(0, prefix.size(), prefix) == 0)
				found = children[i];
		if (children)
			XFree(children);
	}
	return found;
}

void askToClose(Display* display, Window window)
{
	XEvent event;
	std::memset(&event, 0, sizeof(event));
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
	XSendEvent(display, window, False, NoEventMask, &event);
	XFlush(display);
}

// Starts the program in its folder, waits for its drawn title, lets it run a
// moment, closes it and reads its peak memory.
SRun measure(
	Display* display, const std::vector<std::string>& command, const std::string& folder, const std::string& drawnTitle)
{
	SRun run;
	const Clock::time_point start = Clock::now();
	const pid_t pid = ::fork();
	if (pid == 0)
	{
		if (::chdir(folder.c_str()) != 0)
			::_exit(126);
		std::freopen("/dev/null", "w", stdout);
		std::freopen("/dev/null", "w", stderr);
		std::vector<char*> arguments;
		for (const std::string& word : command)
			arguments.push_back(const_cast<char*>(word.c_str()));
		arguments.push_back(nullptr);
		::execvp(arguments[0], arguments.data());
		::_exit(127);
	}
	if (pid < 0)
		return run;

	Window window = 0;
	while (!window && Clock::now() - start < std::chrono::milliseconds(TIMEOUT_MS))
	{
		window = findWindow(display, drawnTitle);
		if (!window)
			std::this_thread::sleep_for(std::chrono::milliseconds(1));
	}
	if (window)
	{
		run.firstFrameMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
		std::this_thread::sleep_for(std::chrono::milliseconds(500));
		askToClose(display, window);
	}
	else
	{
		::kill(pid, SIGKILL);
	}
	int status = 0;
	rusage usage;
	const Clock::time_point closing = Clock::now();
	while (::wait4(pid, &status, WNOHANG, &usage) == 0)
	{
		if (Clock::now() - closing > std::chrono::milliseconds(TIMEOUT_MS))
			::kill(pid, SIGKILL);
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	}
	run.peakKiB = usage.ru_maxrss;
	return run;
}

double median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	return values.empty() ? -1 : values[values.size() / 2];
}

void report(const char* what, const std::vector<SRun>& runs)
{
	std::vector<double> times, peaks;
	for (const SRun& run : runs)
	{
		if (run.firstFrameMs >= 0)
			times.push_back(run.firstFrameMs);
		if (run.peakKiB >= 0)
			peaks.push_back(static_cast<double>(run.peakKiB));
	}
	std::printf("%-34s first frame %8.1f ms (median of %zu, best %.1f)   peak memory %8.1f MiB\n", what, median(times),
		times.size(), times.empty() ? -1.0 : *std::min_element(times.begin(), times.end()), median(peaks) / 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
	const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : DEFAULT_RUNS;
	Display* display = XOpenDisplay(nullptr);
	if (!display)
	{
		std::fprintf(stderr, "No X display: run it as xvfb-run -a %s\n", argv[0]);
		return 1;
	}

	// The client in a run folder as ./run.sh lays it out.
	const fs::path base = fs::temp_directory_path() / ("orv-first-frame-" + std::to_string(::getpid()));
	const fs::path client = base / "client";
	const fs::path love = base / "love";
	fs::create_directories(client);
	fs::create_directories(love);
	const std::string prepare = std::string(ORV_SOURCE_DIR) + "/scripts/prepare-run-folder.sh '" + client.string() +
		"' >/dev/null";
	if (std::system(prepare.c_str()) != 0)
	{
		std::fprintf(stderr, "Could not lay out the run folder.\n");
		return 1;
	}
	fs::copy_file(fs::path(ORV_BINARY_DIR) / "orv", client / "orv", fs::copy_options::overwrite_existing);

	// The smallest LÖVE game of the same window size that says when it drew.
	std::ofstream(love / "conf.lua") << "function love.conf(t)\n  t.window.title = \"starting\"\n"
										"  t.window.width = 800\n  t.window.height = 600\nend\n";
	std::ofstream(love / "main.lua") << "local drawn = false\nfunction love.draw()\n"
										"  love.graphics.clear(1, 0, 0)\n"
										"  if not drawn then drawn = true; love.window.setTitle(\"drawn\") end\nend\n";

	std::vector<SRun> orvRuns, loveRuns;
	for (int i = 0; i < runs; ++i)
	{
		orvRuns.push_back(measure(display, {(client / "orv").string()}, client.string(), "Orv 0.0.1 ["));
		loveRuns.push_back(measure(display, {"love", love.string()}, love.string(), "drawn"));
	}
	std::printf("Start to the first drawn frame, %d runs each:\n", runs);
	report("orv (login screen, sample package)", orvRuns);
	report("love 11.4 (empty window)", loveRuns);

	XCloseDisplay(display);
	std::error_code ignored;
	fs::remove_all(base, ignored);
	return 0;
}
