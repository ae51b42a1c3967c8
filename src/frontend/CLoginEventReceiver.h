#pragma once
// The login screen's event receiver: shows the chosen package, plays it
// offline, logs in to a server and switches the language.

#include <IEventReceiver.h>

#include "frontend/SLoginScreen.h"

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
	SLoginScreen& getScreen() { return Screen; }
	const SLoginScreen& getScreen() const { return Screen; }

private:
	// The package of the list box's selected item, null for none.
	const SPackageListEntry* selectedPackage() const;
	void showPackage();
	void play();
	bool login();
	void chooseLanguage();
	// Takes the logo's texture off the element and out of the driver.
	void dropLogo();

	IFrontendHost& Host;
	SLoginScreen Screen;
};

} // namespace orv
