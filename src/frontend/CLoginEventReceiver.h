#pragma once
// The login screen's event receiver: shows the chosen package, plays it
// offline, logs in to a server and switches the language.

#include <IEventReceiver.h>

#include "frontend/SLoginScreen.h"

namespace irr {
namespace video {
class ITexture;
}
} // namespace irr

namespace orv {

class IFrontendHost;
struct SPackageListEntry;

class CLoginEventReceiver : public irr::IEventReceiver
{
public:
	//! The host must outlive the receiver.
	explicit CLoginEventReceiver(IFrontendHost& host);

	//! True for the four events of the screen it handles, false for the rest.
	bool OnEvent(const irr::SEvent& event) override;

	IFrontendHost& getHost() const { return Host; }
	//! The screen goes: its logo leaves the driver, and none of its elements
	//! is touched again until it is built anew. Called before the GUI is
	//! cleared, on every way out of the screen.
	void leaveScreen();
	SLoginScreen& getScreen() { return Screen; }
	const SLoginScreen& getScreen() const { return Screen; }

private:
	// The package of the list box's selected item, null for none.
	const SPackageListEntry* selectedPackage() const;
	void showPackage();
	void play();
	bool login();
	void chooseLanguage();
	// Takes the logo's texture out of the driver.
	void dropLogo();

	IFrontendHost& Host;
	SLoginScreen Screen;
	// The logo texture added to the driver for the screen; the driver keeps
	// it under its name until it is removed.
	irr::video::ITexture* Logo = nullptr;
};

} // namespace orv
