#pragma once
// The real engine on the null device in a folder with string tables and a
// package folder of every kind of entry, and the means to use its login
// screen as a person would.

#include <memory>
#include <string>

#include <irrlicht.h>

#include "frontend/SLoginScreen.h"
#include "support/engine_fixture.h"

namespace orv::test {

//! A folder package "Alpha" and the zip packages "Beta" and "Gamma" (all
//! with a "logo.tga" of their own colour), a folder without a description,
//! a hidden folder and a file that is no archive; English and German tables.
SandboxFiles loginScreenFiles();

//! A left button press and release at the element's centre, through the device.
void clickOn(irr::IrrlichtDevice* device, irr::gui::IGUIElement* element);
//! Selects the item of a list or combo box and tells the device's receiver,
//! as a changed selection does.
void selectIn(irr::IrrlichtDevice* device, irr::gui::IGUIElement* box, irr::s32 index);

class LoginScreenTest : public ::testing::Test
{
protected:
	void SetUp() override;
	void TearDown() override;

	CGameEngine& engine() { return *sandbox->engine(); }
	irr::IrrlichtDevice* device() { return engine().getDevice(); }
	irr::gui::IGUIElement* root() { return device()->getGUIEnvironment()->getRootGUIElement(); }
	const SLoginScreen& screen();

	//! A left button press and release at the element's centre.
	void click(irr::gui::IGUIElement* element);
	//! What a changed selection of the list or combo box tells the receiver.
	void select(irr::gui::IGUIElement* box, irr::s32 index);
	//! The elements of that id anywhere on screen.
	int countId(irr::s32 id);
	static std::string text(const irr::gui::IGUIElement* element);

	std::unique_ptr<CEngineSandbox> sandbox;
};

} // namespace orv::test
