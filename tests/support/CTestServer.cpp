#include "support/CTestServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/WaitUntil.h"

extern char** environ;

namespace orv {
namespace test {

namespace {

// Writes to a server that may have gone away without letting SIGPIPE end the
// test process or touching its signal set-up for other tests.
bool writeAll(int fd, const std::string& text)
{
	sigset_t pipeSignal;
	sigset_t previous;
	sigemptyset(&pipeSignal);
	sigaddset(&pipeSignal, SIGPIPE);
	pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
	size_t done = 0;
	bool broken = false;
	while (done < text.size())
	{
		const ssize_t n = write(fd, text.data() + done, text.size() - done);
		if (n < 0 && errno == EINTR)
			continue;
		if (n <= 0)
		{
			broken = errno == EPIPE;
			break;
		}
		done += static_cast<size_t>(n);
	}
	if (broken)
	{
		const timespec none = {0, 0};
		sigtimedwait(&pipeSignal, nullptr, &none);
	}
	pthread_sigmask(SIG_SETMASK, &previous, nullptr);
	return done == text.size();
}

std::string serverScript()
{
	const char* source = std::getenv("ORV_SOURCE_DIR");
	return std::string(source && *source ? source : ORV_SOURCE_DIR) + "/tests/net/server/test_server.py";
}

} // namespace

CTestServer::CTestServer() : pid(-1), toServer(-1), fromServer(-1), port(0)
{
}

CTestServer::~CTestServer()
{
	stop();
}

bool CTestServer::start(const std::vector<std::string>& extraArguments)
{
	if (pid > 0)
		return true;
	int input[2];
	int output[2];
	if (pipe2(input, O_CLOEXEC) != 0)
		return false;
	if (pipe2(output, O_CLOEXEC) != 0)
	{
		close(input[0]);
		close(input[1]);
		return false;
	}

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, input[0], 0);
	posix_spawn_file_actions_adddup2(&actions, output[1], 1);

	std::vector<std::string> arguments = {"python3", "-u", serverScript()};
	arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
	std::vector<char*> argv;
	for (std::string& argument : arguments)
		argv.push_back(&argument[0]);
	argv.push_back(nullptr);

	const int rc = posix_spawnp(&pid, "python3", &actions, nullptr, argv.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	close(input[0]);
	close(output[1]);
	toServer = input[1];
	fromServer = output[0];
	if (rc != 0)
	{
		pid = -1;
		stop();
		return false;
	}

	std::string first;
	if (!readLine(first, kGenerousTimeoutMs) || first.rfind("port ", 0) != 0)
	{
		stop();
		return false;
	}
	port = static_cast<unsigned>(std::strtoul(first.c_str() + 5, nullptr, 10));
	return port != 0;
}

void CTestServer::stop()
{
	if (pid > 0)
	{
		if (toServer >= 0)
			writeAll(toServer, "quit\n");
		int status = 0;
		bool reaped = false;
		for (int i = 0; i < 200 && !reaped; ++i)
		{
			reaped = waitpid(pid, &status, WNOHANG) == pid;
			if (!reaped)
				std::this_thread::sleep_for(std::chrono::milliseconds(10));
		}
		if (!reaped)
		{
			kill(pid, SIGKILL);
			waitpid(pid, &status, 0);
		}
	}
	pid = -1;
	if (toServer >= 0)
		close(toServer);
	if (fromServer >= 0)
		close(fromServer);
	toServer = -1;
	fromServer = -1;
	port = 0;
	pending.clear();
}

bool CTestServer::readLine(std::string& line, int timeoutMs)
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
	for (;;)
	{
		const size_t end = pending.find('\n');
		if (end != std::string::npos)
		{
			line = pending.substr(0, end);
			pending.erase(0, end + 1);
			return true;
		}
		const auto left =
			std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
		if (left <= 0 || fromServer < 0)
			return false;
		pollfd entry = {fromServer, POLLIN, 0};
		const int ready = poll(&entry, 1, static_cast<int>(left));
		if (ready < 0 && errno == EINTR)
			continue;
		if (ready <= 0)
			return false;
		char chunk[4096];
		const ssize_t got = read(fromServer, chunk, sizeof(chunk));
		if (got <= 0)
			return false;
		pending.append(chunk, static_cast<size_t>(got));
	}
}

std::string CTestServer::command(const std::string& line, int timeoutMs)
{
	if (pid <= 0 || toServer < 0)
		return "";
	if (!writeAll(toServer, line + "\n"))
		return "";
	std::string reply;
	return readLine(reply, timeoutMs) ? reply : "";
}

std::string CTestServer::ok(const std::string& line, int timeoutMs)
{
	const std::string reply = command(line, timeoutMs);
	if (reply == "ok")
		return "";
	if (reply.rfind("ok ", 0) == 0)
		return reply.substr(3);
	ADD_FAILURE() << "test server: " << line << " -> " << (reply.empty() ? "(no answer)" : reply);
	return "";
}

std::vector<std::string> CTestServer::words(const std::string& reply)
{
	std::vector<std::string> out;
	size_t at = 0;
	while (at < reply.size())
	{
		const size_t start = reply.find_first_not_of(' ', at);
		if (start == std::string::npos)
			break;
		const size_t end = reply.find(' ', start);
		out.push_back(reply.substr(start, end == std::string::npos ? std::string::npos : end - start));
		at = end == std::string::npos ? reply.size() : end;
	}
	return out;
}

std::string CTestServer::toHex(const std::string& bytes)
{
	static const char digits[] = "0123456789abcdef";
	std::string out;
	out.reserve(bytes.size() * 2);
	for (unsigned char c : bytes)
	{
		out += digits[c >> 4];
		out += digits[c & 15];
	}
	return out;
}

std::string CTestServer::fromHex(const std::string& hex)
{
	std::string out;
	if (hex == "-")
		return out;
	for (size_t i = 0; i + 1 < hex.size(); i += 2)
		out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
	return out;
}

} // namespace test
} // namespace orv
