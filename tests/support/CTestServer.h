#pragma once
// Starts tests/net/server/test_server.py in a process of its own and talks to
// it: one command line in, one answer line out. The commands are documented
// at the top of that file.
//
//   orv::test::CTestServer server;
//   ASSERT_TRUE(server.start());
//   socket.init("127.0.0.1", server.getPortText().c_str()); socket.connect();
//   server.ok("accept 1 2");
//   server.ok("block u16:5+text:2D");         // one block, one frame
//   std::string reply = server.command("recv 1 0"); // "ok 1 0001..." or "error timeout 0"
//
// The process ends with stop() or the destructor.

#include <string>
#include <vector>

#include <sys/types.h>

#include "support/WaitUntil.h"

namespace orv {
namespace test {

class CTestServer
{
public:
	CTestServer();
	~CTestServer();

	CTestServer(const CTestServer&) = delete;
	CTestServer& operator=(const CTestServer&) = delete;

	// Starts the server and reads the port it listens on. `extraArguments`
	// go to the script as they are (for example "--script", path).
	bool start(const std::vector<std::string>& extraArguments = {});
	// Sends "quit", waits for the process and reaps it (killing it when it
	// does not end within two seconds).
	void stop();
	bool isRunning() const { return pid > 0; }

	unsigned getPort() const { return port; }
	std::string getPortText() const { return std::to_string(port); }

	// The answer line without its line end; "" when the server did not
	// answer within `timeoutMs` or is not running.
	std::string command(const std::string& line, int timeoutMs = kGenerousTimeoutMs);
	// The answer after "ok" (may be empty); fails the current test with the
	// command and the answer when it is not "ok".
	std::string ok(const std::string& line, int timeoutMs = kGenerousTimeoutMs);

	// The words of an answer: "ok 1 0001" gives {"ok", "1", "0001"}.
	static std::vector<std::string> words(const std::string& reply);
	static std::string toHex(const std::string& bytes);
	// "-" (an empty packet in the server's answers) gives "".
	static std::string fromHex(const std::string& hex);

private:
	bool readLine(std::string& line, int timeoutMs);

	pid_t pid;
	int toServer;
	int fromServer;
	unsigned port;
	std::string pending;
};

} // namespace test
} // namespace orv
