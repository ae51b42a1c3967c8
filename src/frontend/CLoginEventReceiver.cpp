#include "frontend/CLoginEventReceiver.h"

#include <irrlicht.h>

#include "base/Refusal.h"
#include "frontend/CClassDefinitionReader.h"
#include "frontend/IFrontendHost.h"
#include "frontend/LoginScreen.h"
#include "frontend/PackageList.h"
#include "frontend/TextFile.h"
#include "frontend/Translated.h"
#include "scene/picture/PictureLoad.h"
#include "script/SScriptBinding.h"
#include "script/CScriptModule.h"

namespace orv {

using irr::core::ustring16;

namespace {

//! The section every loaded piece of script code goes in.
const char* const SCRIPT_SECTION = "main";

// Only the low byte of each UTF-16 unit: what the socket takes.
irr::core::stringc lowBytes(const wchar_t* text)
{
	irr::core::stringc out;
	for (; *text; ++text)
		out.append(static_cast<char>(static_cast<irr::u16>(*text) & 0xFF));
	return out;
}

// The driver caches textures by name, and inside an archive a logo's name is
// only its name there: two packages' "logo.png" would be one texture. The
// package's place in the package folder makes the name its own.
irr::io::path logoTextureName(const SPackageListEntry& package, const irr::core::stringw& programDirectory)
{
	return getPackageFolder(programDirectory) + "/" + ustring16(package.ArchiveName).toUTF8_s() + "/" +
		package.Info.LogoFile.toUTF8_s();
}

} // namespace

CLoginEventReceiver::CLoginEventReceiver(IFrontendHost& host) : Host(host)
{
}

bool CLoginEventReceiver::OnEvent(const irr::SEvent& event)
{
	if (event.EventType != irr::EET_GUI_EVENT || !event.GUIEvent.Caller)
		return false;
	const irr::s32 id = event.GUIEvent.Caller->getID();
	switch (event.GUIEvent.EventType)
	{
	case irr::gui::EGET_LISTBOX_CHANGED:
	case irr::gui::EGET_LISTBOX_SELECTED_AGAIN:
		if (id != ELSI_PACKAGE_LIST)
			return false;
		showPackage();
		return true;
	case irr::gui::EGET_BUTTON_CLICKED:
		if (id == ELSI_PLAY)
		{
			play();
			return true;
		}
		return id == ELSI_LOGIN ? login() : false;
	case irr::gui::EGET_COMBO_BOX_CHANGED:
		if (id != ELSI_LANGUAGE)
			return false;
		chooseLanguage();
		return true;
	default:
		return false;
	}
}

const SPackageListEntry* CLoginEventReceiver::selectedPackage() const
{
	if (!Screen.PackageList)
		return nullptr;
	const irr::s32 selected = Screen.PackageList->getSelected();
	if (selected < 0)
		return nullptr;
	const wchar_t* text = Screen.PackageList->getListItem(static_cast<irr::u32>(selected));
	return text ? findPackage(ustring16(text)) : nullptr;
}

void CLoginEventReceiver::showPackage()
{
	const SPackageListEntry* package = selectedPackage();
	if (!package)
		return;
	Screen.PackageName->setText(translated(package->Info.Name).c_str());
	Screen.PackageVersion->setText(translated(package->Info.Version).c_str());
	Screen.PackageDescription->setText(translated(package->Info.Description).c_str());

	// The shown logo goes first: a package without a logo of its own shows
	// none, not the one before, and reselecting a package loads its own again.
	Screen.PackageLogo->setImage(nullptr);
	dropLogo();
	irr::io::IReadFile* file = package->Archive ? package->Archive->createAndOpenFile(package->Info.LogoFile.toUTF8_s())
												: nullptr;
	if (!file)
		return;
	// A package's picture is checked like every other before a loader sees it.
	const char* refusal = nullptr;
	irr::video::IImage* picture = loadPicture(Screen.Device, file, refusal);
	file->drop();
	const irr::io::path name = logoTextureName(*package, Host.getProgramDirectory());
	if (refusal)
	{
		reportRefusal("core", std::string("Picture refused (") + refusal + "): \"" + name.c_str() + "\"");
	}
	if (!picture)
		return;
	Logo = Screen.Device->getVideoDriver()->addTexture(name, picture);
	Screen.PackageLogo->setImage(Logo);
	picture->drop();
}

void CLoginEventReceiver::dropLogo()
{
	// Only the driver is asked: the element may have gone with a GUI cleared
	// before, and one that lives lets go of the texture when it goes itself.
	if (!Logo)
		return;
	Screen.Device->getVideoDriver()->removeTexture(Logo);
	Logo = nullptr;
}

void CLoginEventReceiver::leaveScreen()
{
	dropLogo();
	irr::IrrlichtDevice* device = Screen.Device;
	Screen = SLoginScreen();
	Screen.Device = device;
}

void CLoginEventReceiver::play()
{
	const SPackageListEntry* package = selectedPackage();
	if (!package)
		return;
	irr::IrrlichtDevice* device = Screen.Device;
	// The screen goes; none of its elements may be touched after this.
	leaveScreen();
	// What an earlier, lost game left must not leak into this one.
	Host.resetSession();
	// From now on the package's files are found by their names alone.
	// Irrlicht takes no reference when it mounts an archive, but drops one
	// when it lets it go: the mount gets a reference of its own.
	if (package->Archive)
	{
		package->Archive->grab();
		if (!device->getFileSystem()->addFileArchive(package->Archive))
			package->Archive->drop();
	}
	device->getLogger()->log("core", "Starting 2D offline game.", irr::ELL_INFORMATION);

	const SPackageInfo info = package->Info;
	device->getGUIEnvironment()->clear();
	Host.startOfflineGame();

	CClassDefinitionReader(device, Host.getScriptManager()).read(info.ObjectClassFile.toUTF8_s());
	ustring16 code;
	readTextFile(device->getFileSystem(), info.ClientScriptFile.toUTF8_s(), code);
	script::SScriptBinding* client = Host.getClientBinding();
	if (client && client->getModule())
	{
		client->getModule()->load(code, SCRIPT_SECTION, info.ClientScriptFile.toUTF8_std());
		Host.runCreated(nullptr);
	}
	Host.resetFrameTime();
}

bool CLoginEventReceiver::login()
{
	const wchar_t* host = Screen.ServerHostBox ? Screen.ServerHostBox->getText() : nullptr;
	const wchar_t* port = Screen.ServerPortBox ? Screen.ServerPortBox->getText() : nullptr;
	const wchar_t* userName = Screen.UsernameBox ? Screen.UsernameBox->getText() : nullptr;
	const wchar_t* password = Screen.PasswordBox ? Screen.PasswordBox->getText() : nullptr;
	if (!host || !port || !userName || !password)
		return false;

	// A second click while the server answers the first login: what it has
	// sent so far stays, and its answer decides what follows.
	if (Host.isConnected())
		return true;
	Host.resetSession();
	if (Host.connect(lowBytes(host), lowBytes(port)) != 0)
	{
		irr::gui::IGUIWindow* box = Screen.Device->getGUIEnvironment()->addMessageBox(translated("Error").c_str(),
			translated("Could not connect to the server!").c_str(), true, irr::gui::EMBF_OK, Screen.Window,
			ELSI_CONNECTION_ERROR, nullptr);
		if (box)
			box->setNotClipped(true);
		return true;
	}
	Host.sendLogin(irr::core::stringw(userName), irr::core::stringw(password));
	return true;
}

void CLoginEventReceiver::chooseLanguage()
{
	const irr::s32 selected = Screen.LanguageBox->getSelected();
	if (selected < 0)
		return;
	const ustring16 language(Screen.LanguageBox->getItem(static_cast<irr::u32>(selected)));
	Host.setLanguageSetting(language);
	irr::stringtable::CStringTable::setActiveLanguage(Host.getStringTables(), language);
	retranslateLoginScreen(Screen);
}

} // namespace orv
