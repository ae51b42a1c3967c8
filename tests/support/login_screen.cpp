#include "support/login_screen.h"

#include "engine/CGameEngine.h"
#include "frontend/CLoginEventReceiver.h"
#include "frontend/PackageList.h"
#include "support/TestPictures.h"
#include "support/TestZip.h"

namespace orv::test {

namespace {

std::string description(const std::string& name, const std::string& version)
{
	return "<?xml version=\"1.0\"?>\n<orvpackage version=\"1\"><package name=\"" + name + "\" version=\"" + version +
		"\"><logo file=\"logo.tga\"/><objectclass file=\"classes.xml\"/>"
		"<clientscript file=\"client.as\"/><description>About " +
		name + "</description></package></orvpackage>";
}

std::string table(const std::string& language, const std::string& entries)
{
	return "<?xml version=\"1.0\"?>\n<irr_stringtable><language value=\"" + language + "\"/>" + entries +
		"</irr_stringtable>";
}

} // namespace

SandboxFiles loginScreenFiles()
{
	return {
		{"translations/English.irrst", table("English", "<entry id=\"Play\">Play</entry>")},
		{"translations/Deutsch.irrst",
			table("Deutsch",
				"<entry id=\"Play\">Spielen</entry><entry id=\"Login\">Anmelden</entry>"
				"<entry id=\"Click to Login\">Zum Anmelden klicken</entry>"
				"<entry id=\"Error\">Fehler</entry><entry id=\"Package List:\">Pakete:</entry>"
				"<entry id=\"Could not connect to the server!\">Keine Verbindung!</entry>"
				"<entry id=\"Lost connection to the server.\">Verbindung verloren.</entry>"
				"<entry id=\"About Alpha\">Über Alpha</entry>")},
		{"settings.ini", "[Language]\nlanguage = Deutsch\n"},
		{"package/Alpha/package.xml", description("Alpha", "1.0")},
		{"package/Alpha/logo.tga", solidTga(4, 2, {255, 0, 0}, {255, 0, 0})},
		{"package/Alpha/classes.xml",
			"<orvclasses version=\"1\"><objectclasses><class name=\"rock\">"
			"<attribute name=\"weight\" type=\"float\" value=\"2.5\"/></class></objectclasses></orvclasses>"},
		{"package/Alpha/scripts/client.as", "int created = 0;\nvoid Created(SceneObject@+ self) { created++; }\n"},
		{"package/beta.zip",
			makeZip(
				{{"package.xml", description("Beta", "2.0")}, {"logo.tga", solidTga(4, 2, {0, 255, 0}, {0, 255, 0})}})},
		{"package/gamma.zip",
			makeZip({{"package.xml", description("Gamma", "3.0")},
				{"logo.tga", solidTga(4, 2, {0, 0, 255}, {0, 0, 255})}})},
		{"package/Empty/readme.txt", "no description"},
		{"package/.hidden/package.xml", description("Hidden", "0")},
		{"package/notes.txt", "not an archive"},
	};
}

void LoginScreenTest::SetUp()
{
	sandbox.reset(new CEngineSandbox(loginScreenFiles()));
	ASSERT_TRUE(sandbox->started());
}

void LoginScreenTest::TearDown()
{
	sandbox.reset();
}

const SLoginScreen& LoginScreenTest::screen()
{
	return engine().getLoginReceiver()->getScreen();
}

void LoginScreenTest::click(irr::gui::IGUIElement* element)
{
	clickOn(device(), element);
}

void LoginScreenTest::select(irr::gui::IGUIElement* box, irr::s32 index)
{
	selectIn(device(), box, index);
}

void clickOn(irr::IrrlichtDevice* device, irr::gui::IGUIElement* element)
{
	const irr::core::position2di centre = element->getAbsolutePosition().getCenter();
	for (irr::EMOUSE_INPUT_EVENT what :
		{irr::EMIE_MOUSE_MOVED, irr::EMIE_LMOUSE_PRESSED_DOWN, irr::EMIE_LMOUSE_LEFT_UP})
	{
		irr::SEvent event;
		event.EventType = irr::EET_MOUSE_INPUT_EVENT;
		event.MouseInput.Event = what;
		event.MouseInput.X = centre.X;
		event.MouseInput.Y = centre.Y;
		event.MouseInput.Wheel = 0;
		event.MouseInput.Shift = false;
		event.MouseInput.Control = false;
		event.MouseInput.ButtonStates = what == irr::EMIE_LMOUSE_PRESSED_DOWN ? irr::EMBSM_LEFT : 0;
		device->postEventFromUser(event);
	}
}

void selectIn(irr::IrrlichtDevice* device, irr::gui::IGUIElement* box, irr::s32 index)
{
	irr::SEvent event;
	event.EventType = irr::EET_GUI_EVENT;
	event.GUIEvent.Caller = box;
	event.GUIEvent.Element = nullptr;
	if (box->getType() == irr::gui::EGUIET_LIST_BOX)
	{
		static_cast<irr::gui::IGUIListBox*>(box)->setSelected(index);
		event.GUIEvent.EventType = irr::gui::EGET_LISTBOX_CHANGED;
	}
	else
	{
		static_cast<irr::gui::IGUIComboBox*>(box)->setSelected(index);
		event.GUIEvent.EventType = irr::gui::EGET_COMBO_BOX_CHANGED;
	}
	device->postEventFromUser(event);
}

namespace {
int countIn(irr::gui::IGUIElement* element, irr::s32 id)
{
	int count = element->getID() == id ? 1 : 0;
	for (irr::gui::IGUIElement* child : element->getChildren())
		count += countIn(child, id);
	return count;
}
} // namespace

int LoginScreenTest::countId(irr::s32 id)
{
	return countIn(root(), id);
}

std::string LoginScreenTest::text(const irr::gui::IGUIElement* element)
{
	return element && element->getText() ? irr::core::ustring16(element->getText()).toUTF8_std() : "<none>";
}

} // namespace orv::test
