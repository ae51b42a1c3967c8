#pragma once
// A bare TCP peer on 127.0.0.1 inside the test process, for tests of the
// socket itself; whole protocol exchanges go through the test server.

#include <string>

namespace orv {
namespace test {

// A loopback port on which nothing listens (it was free a moment ago).
unsigned findClosedLoopbackPort();

class CLoopbackListener
{
public:
	// Listens on a port the system picks.
	CLoopbackListener();
	~CLoopbackListener();

	CLoopbackListener(const CLoopbackListener&) = delete;
	CLoopbackListener& operator=(const CLoopbackListener&) = delete;

	unsigned getPort() const { return port; }

	// Takes the next connection, waiting at most two seconds.
	bool accept();
	// Reads exactly `count` bytes from the accepted connection (fewer when it
	// closes or two seconds pass).
	std::string readExactly(size_t count);
	void write(const std::string& bytes);
	// Closes the accepted connection so that the peer gets a reset on writing.
	void closeConnection();
	void stopListening();

private:
	int listenFd;
	int connectionFd;
	unsigned port;
};

} // namespace test
} // namespace orv
