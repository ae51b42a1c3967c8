#include "frontend/LoginScreen.h"

#include <irrlicht.h>

#include "frontend/CLoginEventReceiver.h"
#include "frontend/IFrontendHost.h"
#include "frontend/PackageList.h"
#include "frontend/Translated.h"

namespace orv {

using irr::core::recti;
using namespace irr::gui;

namespace {

const recti WINDOW_RECT(30, 30, 770, 570);
const recti TABS_RECT(10, 30, 730, 530);
const irr::s32 TAB_HEIGHT = 32;
//! The login packet gives each text one length byte.
const irr::u32 MAX_EDIT_LENGTH = 255;
const wchar_t* const DEFAULT_HOST = L"localhost";
const wchar_t* const DEFAULT_PORT = L"21800";
const irr::video::SColor NICKNAME_COLOUR(128, 0, 0, 255);

// No border, no word wrap, no background.
IGUIStaticText* addLabel(IGUIEnvironment* gui, const wchar_t* text, const recti& rect, IGUIElement* parent)
{
	return gui->addStaticText(text, rect, false, false, parent, -1, false);
}

IGUIStaticText* addCentredLabel(IGUIEnvironment* gui, const char* id, const recti& rect, IGUIElement* parent)
{
	IGUIStaticText* label = addLabel(gui, translated(id).c_str(), rect, parent);
	label->setTextAlignment(EGUIA_CENTER, EGUIA_CENTER);
	return label;
}

IGUIEditBox* addEditBox(IGUIEnvironment* gui, const wchar_t* text, const recti& rect, IGUIElement* parent)
{
	IGUIEditBox* box = gui->addEditBox(text, rect, true, parent, -1);
	box->setMax(MAX_EDIT_LENGTH);
	return box;
}

// Irrlicht numbers a tab stop when it is made, but inside a tab that is not
// shown it gives every one the same number, and the Tab key then skips them:
// each tab's fields are numbered in the order they were made.
void orderTabStops(std::initializer_list<IGUIElement*> elements)
{
	irr::s32 order = 0;
	for (IGUIElement* element : elements)
	{
		element->setTabStop(true);
		element->setTabOrder(order++);
	}
}

void buildOfflineTab(IGUIEnvironment* gui, SLoginScreen& screen)
{
	IGUITab* tab = screen.TabOffline;
	screen.PackageListLabel = addLabel(gui, translated("Package List:").c_str(), recti(19, 26, 109, 46), tab);
	screen.PackageList = gui->addListBox(recti(19, 46, 179, 446), tab, ELSI_PACKAGE_LIST, false);
	screen.PackageName = addLabel(gui, L"", recti(229, 26, 689, 56), tab);
	screen.PackageLogo = gui->addImage(recti(219, 66, 679, 236), tab, -1, nullptr, true);
	screen.PackageVersion = addLabel(gui, L"", recti(229, 46, 469, 66), tab);
	screen.PackageDescription = addLabel(gui, L"", recti(219, 246, 679, 406), tab);
	// A description longer than a line goes on below, inside its panel.
	screen.PackageDescription->setWordWrap(true);
	screen.PlayButton = gui->addButton(recti(579, 416, 679, 446), tab, ELSI_PLAY, translated("Play").c_str());
	orderTabStops({screen.PackageList, screen.PlayButton});
}

void buildOnlineTab(IGUIEnvironment* gui, SLoginScreen& screen)
{
	IGUITab* tab = screen.TabOnline;
	screen.NicknameBox = addEditBox(gui, L"", recti(229, 66, 479, 96), tab);
	screen.UsernameBox = addEditBox(gui, L"", recti(229, 136, 479, 166), tab);
	screen.PasswordBox = addEditBox(gui, L"", recti(229, 206, 479, 236), tab);
	screen.NicknameLabel = addCentredLabel(gui, "Nickname", recti(229, 46, 479, 66), tab);
	screen.NicknameLabel->setOverrideColor(NICKNAME_COLOUR);
	screen.UsernameLabel = addCentredLabel(gui, "Username", recti(229, 116, 479, 136), tab);
	screen.PasswordLabel = addCentredLabel(gui, "Password", recti(229, 186, 479, 206), tab);
	screen.LoginButton = gui->addButton(recti(299, 266, 399, 296), tab, ELSI_LOGIN, translated("Login").c_str());
	screen.ServerHostBox = addEditBox(gui, DEFAULT_HOST, recti(149, 346, 329, 376), tab);
	screen.ServerPortBox = addEditBox(gui, DEFAULT_PORT, recti(369, 346, 549, 376), tab);
	screen.ServerHostLabel = addCentredLabel(gui, "Server Host", recti(149, 326, 329, 346), tab);
	screen.ServerPortLabel = addCentredLabel(gui, "Server Port", recti(369, 326, 549, 346), tab);
	orderTabStops({screen.NicknameBox, screen.UsernameBox, screen.PasswordBox, screen.LoginButton, screen.ServerHostBox,
		screen.ServerPortBox});
}

void buildOptionsTab(IGUIEnvironment* gui, SLoginScreen& screen, const irr::stringtable::StringTableMap& tables)
{
	IGUITab* tab = screen.TabOptions;
	screen.LanguageLabel = addLabel(gui, translated("Language").c_str(), recti(25, 225, 175, 245), tab);
	screen.LanguageBox = gui->addComboBox(recti(25, 250, 175, 270), tab, ELSI_LANGUAGE);

	// Without a current table the first language shows.
	const irr::stringtable::CStringTable* active = irr::stringtable::CStringTable::getActiveTable();
	irr::s32 selected = 0;
	irr::s32 index = 0;
	for (const auto& table : tables)
	{
		screen.LanguageBox->addItem(table.first.toWCHAR_s().c_str(), 0);
		if (active && table.first == active->getLanguageName())
			selected = index;
		++index;
	}
	if (screen.LanguageBox->getItemCount() > 0)
		screen.LanguageBox->setSelected(selected);
}

} // namespace

void buildLoginScreen(irr::IrrlichtDevice* device, CLoginEventReceiver& receiver)
{
	IFrontendHost& host = receiver.getHost();
	IGUIEnvironment* gui = device->getGUIEnvironment();
	SLoginScreen screen;
	screen.Device = device;

	screen.Window = gui->addWindow(WINDOW_RECT, false, nullptr, nullptr, -1);
	screen.Window->getCloseButton()->setVisible(false);
	screen.Window->setDraggable(false);

	IGUITabControl* tabs = gui->addTabControl(TABS_RECT, screen.Window, false, true, -1);
	tabs->setTabHeight(TAB_HEIGHT);
	screen.TabOffline = tabs->addTab(translated("Offline").c_str());
	screen.TabOnline = tabs->addTab(translated("Online").c_str());
	screen.TabOptions = tabs->addTab(translated("Options").c_str());
	tabs->setActiveTab(0);

	buildOfflineTab(gui, screen);
	buildOnlineTab(gui, screen);
	buildOptionsTab(gui, screen, host.getStringTables());

	loadPackageList(device, screen.PackageList, host.getProgramDirectory());

	receiver.getScreen() = screen;
	device->setEventReceiver(&receiver);

	if (screen.PackageList->getItemCount() > 0)
	{
		screen.PackageList->setSelected(0);
		irr::SEvent changed;
		changed.EventType = irr::EET_GUI_EVENT;
		changed.GUIEvent.Caller = screen.PackageList;
		changed.GUIEvent.Element = nullptr;
		changed.GUIEvent.EventType = EGET_LISTBOX_CHANGED;
		device->postEventFromUser(changed);
	}
}

void retranslateLoginScreen(const SLoginScreen& screen)
{
	screen.PackageListLabel->setText(translated("Package List:").c_str());
	screen.PlayButton->setText(translated("Play").c_str());
	screen.NicknameLabel->setText(translated("Nickname").c_str());
	screen.UsernameLabel->setText(translated("Username").c_str());
	screen.PasswordLabel->setText(translated("Password").c_str());
	screen.ServerHostLabel->setText(translated("Server Host").c_str());
	screen.ServerPortLabel->setText(translated("Server Port").c_str());
	screen.LoginButton->setText(translated("Login").c_str());
	screen.LoginButton->setToolTipText(translated("Click to Login").c_str());
	screen.LanguageLabel->setText(translated("Language").c_str());
}

} // namespace orv
