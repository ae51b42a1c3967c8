#include "DocGame.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <irrlicht.h>

#include "frontend/CLoginEventReceiver.h"
#include "frontend/SLoginScreen.h"

namespace orv::test {

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

SandboxFiles samplePackage()
{
	SandboxFiles files;
	const fs::path content = fs::path(ORV_SOURCE_DIR) / "content";
	for (const auto& entry : fs::recursive_directory_iterator(content / "package" / "Sample"))
		if (entry.is_regular_file())
			files[fs::relative(entry.path(), content).string()] = readFile(entry.path());
	return files;
}

// The class's element gets the script as its last child; a class the file
// lacks is added at the end.
void giveClassScript(std::string& classes, const std::string& name, const std::string& code)
{
	const std::string script = "<script><![CDATA[\n" + code + "]]></script>";
	const std::string open = "<class name=\"" + name + "\"";
	const size_t at = classes.find(open);
	if (at == std::string::npos)
	{
		classes.insert(classes.find("</objectclasses>"), "<class name=\"" + name + "\">" + script + "</class>\n");
		return;
	}
	const size_t close = classes.find('>', at);
	if (classes[close - 1] == '/')
		classes.replace(close - 1, 2, ">" + script + "</class>");
	else
		classes.insert(classes.find("</class>", close), script);
}

irr::SEvent mouse(irr::EMOUSE_INPUT_EVENT what, float wheel = 0.0f)
{
	irr::SEvent event;
	event.EventType = irr::EET_MOUSE_INPUT_EVENT;
	event.MouseInput.Event = what;
	event.MouseInput.X = 40;
	event.MouseInput.Y = 30;
	event.MouseInput.Wheel = wheel;
	event.MouseInput.Shift = false;
	event.MouseInput.Control = false;
	event.MouseInput.ButtonStates = what == irr::EMIE_LMOUSE_PRESSED_DOWN ? irr::EMBSM_LEFT : 0;
	return event;
}

irr::SEvent key(bool down)
{
	irr::SEvent event;
	event.EventType = irr::EET_KEY_INPUT_EVENT;
	event.KeyInput.Key = irr::KEY_SPACE;
	event.KeyInput.PressedDown = down;
	event.KeyInput.Char = L' ';
	event.KeyInput.Shift = false;
	event.KeyInput.Control = false;
	return event;
}

} // namespace

CStdoutCapture::CStdoutCapture()
{
	std::fflush(stdout);
	Saved = ::dup(STDOUT_FILENO);
	const int file = ::open((Folder.path() + "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
	if (Saved < 0 || file < 0)
		ADD_FAILURE() << "cannot capture the standard output";
	else
		::dup2(file, STDOUT_FILENO);
	if (file >= 0)
		::close(file);
}

CStdoutCapture::~CStdoutCapture()
{
	std::fflush(stdout);
	if (Saved < 0)
		return;
	::dup2(Saved, STDOUT_FILENO);
	::close(Saved);
}

std::vector<std::string> CStdoutCapture::lines() const
{
	std::fflush(stdout);
	std::vector<std::string> lines;
	std::istringstream in(Folder.read("stdout"));
	for (std::string line; std::getline(in, line);)
		lines.push_back(line);
	return lines;
}

CDocGame::CDocGame(const SDocScripts& scripts) : Output(new CStdoutCapture()), Files(samplePackage())
{
	if (!scripts.Client.empty())
		Files["package/Sample/client.as"] = scripts.Client;
	if (!scripts.Hero.empty())
		Files["package/Sample/hero.as"] = scripts.Hero;
	for (const auto& entry : scripts.Files)
		Files["package/Sample/" + entry.first] = entry.second;
	for (const auto& entry : scripts.Classes)
		giveClassScript(Files["package/Sample/classes.xml"], entry.first, entry.second);
}

CDocGame::~CDocGame()
{
	Sandbox.reset();
}

bool CDocGame::play()
{
	Sandbox.reset(new CEngineSandbox(Files));
	if (!Sandbox->started() || !engine().getLoginReceiver())
		return false;
	SLoginScreen& screen = engine().getLoginReceiver()->getScreen();
	irr::IrrlichtDevice* device = engine().getDevice();
	if (!screen.PackageList || !screen.PlayButton || screen.PackageList->getItemCount() == 0)
		return false;

	irr::SEvent event;
	event.EventType = irr::EET_GUI_EVENT;
	event.GUIEvent.Caller = screen.PackageList;
	event.GUIEvent.Element = nullptr;
	event.GUIEvent.EventType = irr::gui::EGET_LISTBOX_CHANGED;
	screen.PackageList->setSelected(0);
	device->postEventFromUser(event);
	event.GUIEvent.Caller = screen.PlayButton;
	event.GUIEvent.EventType = irr::gui::EGET_BUTTON_CLICKED;
	device->postEventFromUser(event);
	return engine().isGameRunning();
}

bool CDocGame::frame()
{
	const bool running = engine().update();
	engine().render();
	return running;
}

bool CDocGame::framesUntil(const std::function<bool()>& done)
{
	return waitUntil(
		[&] {
			frame();
			return done();
		},
		kGenerousTimeoutMs, 1);
}

void CDocGame::sendInput()
{
	irr::IrrlichtDevice* device = engine().getDevice();
	device->postEventFromUser(key(true));
	device->postEventFromUser(key(false));
	device->postEventFromUser(mouse(irr::EMIE_MOUSE_MOVED));
	device->postEventFromUser(mouse(irr::EMIE_LMOUSE_PRESSED_DOWN));
	device->postEventFromUser(mouse(irr::EMIE_LMOUSE_LEFT_UP));
	device->postEventFromUser(mouse(irr::EMIE_MOUSE_WHEEL, 1.0f));
}

size_t CDocGame::count(const std::string& line) const
{
	size_t n = 0;
	for (const std::string& logged : lines())
		n += logged == line;
	return n;
}

size_t CDocGame::countStarting(const std::string& start) const
{
	size_t n = 0;
	for (const std::string& logged : lines())
		n += logged.rfind(start, 0) == 0;
	return n;
}

std::vector<std::string> CDocGame::scriptFailures() const
{
	std::vector<std::string> failures;
	for (const std::string& line : lines())
		if (line.find(" : ERR  : ") != std::string::npos || line.rfind("script: Script of ", 0) == 0)
			failures.push_back(line);
	return failures;
}

} // namespace orv::test
