#include "engine_fixture.h"

#include <chrono>
#include <thread>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "engine/EngineTeardown.h"

namespace orv {
namespace test {

namespace fs = std::filesystem;

CTempFolder::CTempFolder()
{
	std::string pattern = (fs::temp_directory_path() / "orv-test-XXXXXX").string();
	std::vector<char> buffer(pattern.begin(), pattern.end());
	buffer.push_back('\0');
	if (::mkdtemp(buffer.data()))
		Path = std::string(buffer.data()) + "/";
	else
		ADD_FAILURE() << "cannot make a temporary folder";
}

CTempFolder::~CTempFolder()
{
	if (Path.empty())
		return;
	std::error_code ignored;
	fs::remove_all(Path, ignored);
}

void CTempFolder::write(const std::string& name, const std::string& bytes) const
{
	const fs::path file = fs::path(Path) / name;
	fs::create_directories(file.parent_path());
	std::ofstream out(file, std::ios::binary | std::ios::trunc);
	out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string CTempFolder::read(const std::string& name) const
{
	std::ifstream in(fs::path(Path) / name, std::ios::binary);
	std::ostringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

bool CTempFolder::exists(const std::string& name) const
{
	return fs::exists(fs::path(Path) / name);
}

void CTempFolder::link(const std::string& name, const std::string& target) const
{
	const fs::path at = fs::path(Path) / name;
	fs::create_directories(at.parent_path());
	std::error_code error;
	fs::create_symlink(target, at, error);
	if (error)
		ADD_FAILURE() << "cannot link " << name << " to " << target << ": " << error.message();
}

CEngineSandbox::CEngineSandbox(const SandboxFiles& files, const SSandboxLinks& links)
{
	for (const auto& file : files)
		Folder.write(file.first, file.second);
	for (const auto& link : links.targets)
		Folder.link(link.first, link.second);
	// An earlier test may have left the process in a folder that is gone.
	std::error_code noDirectory;
	PreviousDirectory = fs::current_path(noDirectory).string();
	if (noDirectory)
		PreviousDirectory = fs::temp_directory_path().string();

	SEngineLaunch launch;
	launch.programDirectory = irr::core::ustring16(Folder.path().c_str()).toWCHAR_s();
	launch.nullDevice = true;
	CGameEngine::setLaunch(launch);

	if (CGameEngine::peekInstance())
		ADD_FAILURE() << "an engine is still alive from an earlier test";
	CGameEngine* engine = CGameEngine::getInstance();
	Running = engine != nullptr;
	Started = engine && engine->init();
}

CEngineSandbox::~CEngineSandbox()
{
	tearDown();
}

void CEngineSandbox::tearDown()
{
	if (!Running)
		return;
	Running = false;
	tearDownSingletons();
	CGameEngine::setLaunch(SEngineLaunch());
	std::error_code ignored;
	fs::current_path(PreviousDirectory, ignored);
}

void EngineTest::SetUp()
{
	sandbox.reset(new CEngineSandbox());
	ASSERT_TRUE(sandbox->started());
}

void EngineTest::TearDown()
{
	sandbox.reset();
}

bool pumpUntil(CGameEngine& engine, const std::function<bool()>& done, int timeoutMs)
{
	return waitUntil(
		[&] {
			engine.update();
			return done();
		},
		timeoutMs);
}

} // namespace test
} // namespace orv
