#pragma once
// The bundled sample package played offline by the real engine on the null
// device, with scripts of a test's own in place of the sample's: the client
// script, a class's script or the hero object's own script.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/engine_fixture.h"

namespace orv::test {

//! What the process writes to its standard output while it lives: the
//! console lines of the device's log (no receiver of the engine absorbs
//! them) and of the audio library.
class CStdoutCapture
{
public:
	CStdoutCapture();
	~CStdoutCapture();
	CStdoutCapture(const CStdoutCapture&) = delete;
	CStdoutCapture& operator=(const CStdoutCapture&) = delete;
	std::vector<std::string> lines() const;

private:
	CTempFolder Folder;
	int Saved = -1;
};

struct SDocScripts
{
	//! Empty: the sample's own client script.
	std::string Client;
	//! Class name to script; a class the sample lacks is added.
	std::vector<std::pair<std::string, std::string>> Classes;
	//! Empty: the sample's hero.as; otherwise the hero object's own script.
	std::string Hero;
	//! Further files of the package, name to bytes.
	SandboxFiles Files;
};

class CDocGame
{
public:
	explicit CDocGame(const SDocScripts& scripts);
	~CDocGame();

	//! Chooses the sample on the Offline tab and plays it; false when the
	//! engine did not start or the game is not running after it.
	bool play();
	//! One frame: update and render.
	bool frame();
	//! Frames until done() holds or the suite's one deadline passes.
	bool framesUntil(const std::function<bool()>& done);
	//! A key pressed and let go, a pointer moved, pressed, let go and a wheel
	//! turned, as the window would hand them over.
	void sendInput();

	CGameEngine& engine() { return *Sandbox->engine(); }
	std::vector<std::string> lines() const { return Output->lines(); }
	size_t count(const std::string& line) const;
	//! Lines that begin with the text.
	size_t countStarting(const std::string& start) const;
	//! Lines of script errors, exceptions and aborted runs.
	std::vector<std::string> scriptFailures() const;

private:
	// Made first and ended last: it hears the start and the teardown.
	std::unique_ptr<CStdoutCapture> Output;
	SandboxFiles Files;
	std::unique_ptr<CEngineSandbox> Sandbox;
};

} // namespace orv::test
