#pragma once

#include <string>

namespace orv {
namespace test {

//! The built client program, copied into a folder that becomes its program
//! directory, run as a child process. Its console output goes to
//! "orv.log" in that folder.
class CClientProcess
{
public:
	//! An empty display starts the client without DISPLAY.
	CClientProcess(const std::string& folder, const std::string& display);
	//! Kills the client when it still runs.
	~CClientProcess();
	CClientProcess(const CClientProcess&) = delete;
	CClientProcess& operator=(const CClientProcess&) = delete;

	bool start();
	//! True when the client ended within the timeout; its exit code (or 128
	//! plus the signal) in exitCode.
	bool waitForExit(int timeoutMs, int& exitCode);
	//! What the client printed so far.
	std::string log() const;

private:
	std::string Folder;
	std::string Display;
	int Pid = -1;
};

} // namespace test
} // namespace orv
