#include "ClientProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace orv {
namespace test {

namespace fs = std::filesystem;

CClientProcess::CClientProcess(const std::string& folder, const std::string& display) : Folder(folder), Display(display)
{
}

CClientProcess::~CClientProcess()
{
	if (Pid <= 0)
		return;
	::kill(Pid, SIGKILL);
	int status = 0;
	::waitpid(Pid, &status, 0);
}

bool CClientProcess::start()
{
	// The client takes its executable's folder as its home, so it has to
	// live in the test's folder, not be run from there.
	const fs::path program = fs::path(Folder) / "orv";
	std::error_code error;
	fs::copy_file(fs::path(ORV_BINARY_DIR) / "orv", program, fs::copy_options::overwrite_existing, error);
	if (error)
		return false;

	const std::string logPath = (fs::path(Folder) / "orv.log").string();
	const pid_t pid = ::fork();
	if (pid == 0)
	{
		const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		if (log >= 0)
		{
			::dup2(log, 1);
			::dup2(log, 2);
		}
		if (::chdir(Folder.c_str()) != 0)
			::_exit(126);
		if (Display.empty())
			::unsetenv("DISPLAY");
		else
			::setenv("DISPLAY", Display.c_str(), 1);
		// Mesa's leaks stay attributable to Mesa (see keep_modules.c). The
		// sanitizer runtime then is not the first library; that is intended.
		::setenv("LD_PRELOAD", ORV_KEEP_MODULES_LIBRARY, 1);
		const char* asanOptions = ::getenv("ASAN_OPTIONS");
		std::string options = asanOptions ? std::string(asanOptions) + ":" : std::string();
		// The leak checker guesses the size of a dynamic TLS block from
		// glibc's malloc header, but the sanitizer's own allocator made the
		// block a library of the GL stack uses on the main thread: the guess
		// is garbage, and reading it at exit kills the checker, depending on
		// where the block lands. What only that block holds is the GL
		// stack's, which the suppressions leave out anyway.
		options += "verify_asan_link_order=0:intercept_tls_get_addr=0";
		::setenv("ASAN_OPTIONS", options.c_str(), 1);
		const std::string path = program.string();
		::execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
		::_exit(127);
	}
	if (pid < 0)
		return false;
	Pid = pid;
	return true;
}

bool CClientProcess::waitForExit(int timeoutMs, int& exitCode)
{
	if (Pid <= 0)
		return false;
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
	while (true)
	{
		int status = 0;
		const pid_t done = ::waitpid(Pid, &status, WNOHANG);
		if (done == Pid)
		{
			Pid = -1;
			exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
			return true;
		}
		if (std::chrono::steady_clock::now() >= deadline)
			return false;
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
	}
}

std::string CClientProcess::log() const
{
	std::ifstream in(fs::path(Folder) / "orv.log", std::ios::binary);
	std::ostringstream text;
	text << in.rdbuf();
	return text.str();
}

} // namespace test
} // namespace orv
