#pragma once

namespace irr {
class IrrlichtDevice;
namespace gui {
class IGUIButton;
class IGUIComboBox;
class IGUIEditBox;
class IGUIImage;
class IGUIListBox;
class IGUIStaticText;
class IGUITab;
class IGUIWindow;
} // namespace gui
} // namespace irr

namespace orv {

//! The login screen's elements, filled each time the screen is built. The
//! GUI environment owns them; after a GUI clear none of them lives until the
//! screen is built again.
struct SLoginScreen
{
	irr::IrrlichtDevice* Device = nullptr;
	irr::gui::IGUIWindow* Window = nullptr;
	irr::gui::IGUITab* TabOffline = nullptr;
	irr::gui::IGUITab* TabOnline = nullptr;
	irr::gui::IGUITab* TabOptions = nullptr;
	irr::gui::IGUIStaticText* PackageListLabel = nullptr;
	irr::gui::IGUIListBox* PackageList = nullptr;
	irr::gui::IGUIStaticText* PackageName = nullptr;
	irr::gui::IGUIImage* PackageLogo = nullptr;
	irr::gui::IGUIStaticText* PackageVersion = nullptr;
	irr::gui::IGUIStaticText* PackageDescription = nullptr;
	irr::gui::IGUIButton* PlayButton = nullptr;
	irr::gui::IGUIEditBox* NicknameBox = nullptr;
	irr::gui::IGUIEditBox* UsernameBox = nullptr;
	irr::gui::IGUIEditBox* PasswordBox = nullptr;
	irr::gui::IGUIEditBox* ServerHostBox = nullptr;
	irr::gui::IGUIEditBox* ServerPortBox = nullptr;
	irr::gui::IGUIButton* LoginButton = nullptr;
	irr::gui::IGUIStaticText* NicknameLabel = nullptr;
	irr::gui::IGUIStaticText* UsernameLabel = nullptr;
	irr::gui::IGUIStaticText* PasswordLabel = nullptr;
	irr::gui::IGUIStaticText* ServerHostLabel = nullptr;
	irr::gui::IGUIStaticText* ServerPortLabel = nullptr;
	irr::gui::IGUIComboBox* LanguageBox = nullptr;
	irr::gui::IGUIStaticText* LanguageLabel = nullptr;
};

//! Ids the screen's elements answer events by; every other element has -1.
enum ELoginScreenId
{
	ELSI_PACKAGE_LIST = 101,
	ELSI_PLAY = 102,
	ELSI_LOGIN = 103,
	ELSI_LANGUAGE = 104,
	//! The message box of a failed or lost connection.
	ELSI_CONNECTION_ERROR = 160
};

} // namespace orv
