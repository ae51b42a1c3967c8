#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "engine/CGameEngine.h"
#include "support/WaitUntil.h"

namespace orv {
namespace test {

//! A new folder below the system's temporary folder, removed with all it holds.
class CTempFolder
{
public:
	CTempFolder();
	~CTempFolder();
	CTempFolder(const CTempFolder&) = delete;
	CTempFolder& operator=(const CTempFolder&) = delete;

	//! Absolute, ending in '/'.
	const std::string& path() const { return Path; }
	//! Writes the bytes to a file of the folder, making subfolders on the way.
	void write(const std::string& name, const std::string& bytes) const;
	//! The file's bytes; empty when it cannot be read.
	std::string read(const std::string& name) const;
	bool exists(const std::string& name) const;
	//! Makes a symbolic link of the folder that points at the target (as
	//! written: relative to the link's folder, or absolute).
	void link(const std::string& name, const std::string& target) const;

private:
	std::string Path;
};

//! Files of a sandbox's folder, name to bytes.
typedef std::map<std::string, std::string> SandboxFiles;
//! Symbolic links of a sandbox's folder, name to target. A record of its own,
//! so that a braced list of files never reads as files and links.
struct SSandboxLinks
{
	std::map<std::string, std::string> targets;
};

//! The real engine, started on the null device (no window, no display) with
//! a temporary folder as its program directory.
/** Only one may live at a time: the engine is a process singleton. The
    working directory is restored when it ends. */
class CEngineSandbox
{
public:
	//! Lays the files (name to bytes) and the links into the folder, then
	//! constructs and initialises the engine.
	explicit CEngineSandbox(const SandboxFiles& files = SandboxFiles(), const SSandboxLinks& links = SSandboxLinks());
	//! Tears down if still running.
	~CEngineSandbox();
	CEngineSandbox(const CEngineSandbox&) = delete;
	CEngineSandbox& operator=(const CEngineSandbox&) = delete;

	//! What init returned.
	bool started() const { return Started; }
	CGameEngine* engine() const { return CGameEngine::peekInstance(); }
	CTempFolder& folder() { return Folder; }

	//! The program's own teardown (the settings are written); safe to repeat.
	void tearDown();

private:
	CTempFolder Folder;
	std::string PreviousDirectory;
	bool Started = false;
	bool Running = false;
};

//! A test that starts with a running engine on the null device.
class EngineTest : public ::testing::Test
{
protected:
	void SetUp() override;
	void TearDown() override;

	CGameEngine& engine() { return *sandbox->engine(); }

	std::unique_ptr<CEngineSandbox> sandbox;
};

//! Runs the engine's frame update until done() holds or the time runs out;
//! for tests that wait on a peer over a real socket.
bool pumpUntil(CGameEngine& engine, const std::function<bool()>& done, int timeoutMs = kGenerousTimeoutMs);

} // namespace test
} // namespace orv
