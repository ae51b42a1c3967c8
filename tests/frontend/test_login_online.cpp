// The Login button against a closed port and against the test server on
// loopback: the game phase, a lost server and a second, clean session.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "engine/CGameEventReceiver.h"
#include "frontend/CLoginEventReceiver.h"
#include "frontend/PackageList.h"
#include "support/CTestServer.h"
#include "support/LoopbackPeer.h"
#include "support/login_screen.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

namespace {

using namespace orv;
using test::CTestServer;

class LoginOnline : public test::LoginScreenTest
{
protected:
	void loginTo(const std::string& port, const wchar_t* user)
	{
		screen().ServerHostBox->setText(L"127.0.0.1");
		screen().ServerPortBox->setText(irr::core::stringw(port.c_str()).c_str());
		screen().UsernameBox->setText(user);
		static_cast<irr::gui::IGUITabControl*>(screen().TabOnline->getParent())->setActiveTab(screen().TabOnline);
		click(screen().LoginButton);
	}

	// Logs in to the server and waits until it has the login packet.
	void loginAndWait(CTestServer& server, const wchar_t* user)
	{
		loginTo(server.getPortText(), user);
		server.ok("accept 1 5");
		server.ok("login 5");
	}

	// Clicks the OK button of the message box of that id.
	void closeMessage(irr::s32 id)
	{
		irr::gui::IGUIElement* box = root()->getElementFromId(id, true);
		ASSERT_NE(box, nullptr);
		for (irr::gui::IGUIElement* child : box->getChildren())
			if (child->getType() == irr::gui::EGUIET_BUTTON && child->isVisible())
			{
				click(child);
				return;
			}
		ADD_FAILURE() << "no button on the box";
	}

	bool pumpUntil(const std::function<bool()>& done) { return test::pumpUntil(engine(), done); }

	// The static text of the message box of that id.
	std::string message(irr::s32 id)
	{
		irr::gui::IGUIElement* box = root()->getElementFromId(id, true);
		if (!box)
			return "<no box>";
		for (irr::gui::IGUIElement* child : box->getChildren())
			if (child->getType() == irr::gui::EGUIET_STATIC_TEXT)
				return text(box) + ": " + text(child);
		return text(box);
	}
};

TEST_F(LoginOnline, AClosedPortShowsTheConnectionErrorOverTheScreen)
{
	loginTo(std::to_string(test::findClosedLoopbackPort()), L"user");
	ASSERT_EQ(countId(ELSI_CONNECTION_ERROR), 1);
	irr::gui::IGUIElement* box = root()->getElementFromId(ELSI_CONNECTION_ERROR, true);
	// A modal box stands on a screen of its own, which lies over the window.
	EXPECT_EQ(box->getParent()->getParent(), screen().Window);
	EXPECT_TRUE(box->isNotClipped());
	EXPECT_EQ(message(ELSI_CONNECTION_ERROR), "Fehler: Keine Verbindung!");
	EXPECT_FALSE(engine().isOnline());
	EXPECT_EQ(device()->getEventReceiver(), engine().getLoginReceiver());
}

TEST_F(LoginOnline, ALostServerBringsTheScreenBackOnceAndTheNextLoginStartsClean)
{
	CTestServer server;
	ASSERT_TRUE(server.start());
	// An empty password is sent all the same.
	loginTo(server.getPortText(), L"ann");
	server.ok("accept 1 5");
	const std::vector<std::string> login = CTestServer::words(server.ok("login 5"));
	ASSERT_EQ(login.size(), 3u);
	EXPECT_EQ(CTestServer::fromHex(login[1]), "ann");
	EXPECT_EQ(CTestServer::fromHex(login[2]), "");
	EXPECT_TRUE(engine().isOnline());

	server.ok("block u16:10+u16:1+text:round u16:7+text:ball u16:12+u32:5+u8:0+text:ball u16:17+u32:5 "
			  "u16:5+text:2D");
	ASSERT_TRUE(pumpUntil([&] { return engine().isGameRunning(); }));
	EXPECT_TRUE(root()->getChildren().empty());
	EXPECT_EQ(device()->getEventReceiver(), engine().getPlayReceiver());
	ASSERT_NE(engine().getPlayerObject(), nullptr);
	const size_t packages = getPackageList().size();

	server.stop();
	ASSERT_TRUE(pumpUntil([&] { return !engine().isGameRunning(); }));
	for (int frame = 0; frame < 10; ++frame)
		engine().update();
	EXPECT_EQ(countId(ELSI_CONNECTION_ERROR), 1);
	EXPECT_EQ(message(ELSI_CONNECTION_ERROR), "Fehler: Verbindung verloren.");
	EXPECT_EQ(root()->getElementFromId(ELSI_CONNECTION_ERROR, true)->getParent()->getParent(), root());
	ASSERT_NE(screen().Window, nullptr);
	EXPECT_EQ(screen().Window->getParent(), root());
	EXPECT_EQ(device()->getEventReceiver(), engine().getLoginReceiver());
	EXPECT_EQ(getPackageList().size(), packages);
	EXPECT_EQ(screen().PackageList->getItemCount(), packages);

	// The box is modal: it is closed before anything else can be clicked.
	closeMessage(ELSI_CONNECTION_ERROR);
	EXPECT_EQ(countId(ELSI_CONNECTION_ERROR), 0);
	CTestServer second;
	ASSERT_TRUE(second.start());
	loginTo(second.getPortText(), L"bob");
	second.ok("accept 1 5");
	const std::vector<std::string> again = CTestServer::words(second.ok("login 5"));
	ASSERT_EQ(again.size(), 3u);
	EXPECT_EQ(CTestServer::fromHex(again[1]), "bob");
	// Nothing of the first session is left.
	EXPECT_TRUE(CObjectManager::getInstance()->getSceneObjects().empty());
	EXPECT_EQ(CObjectManager::getInstance()->getObjectClasses().size(), 1u);
	EXPECT_NE(CObjectManager::getInstance()->findObjectClass("blank"), nullptr);
	EXPECT_EQ(engine().getServerAttributes().size(), 0u);
	EXPECT_EQ(engine().getPlayerObject(), nullptr);
	EXPECT_TRUE(engine().getSceneNodes().empty());

	second.ok("block u16:5+text:2D");
	ASSERT_TRUE(pumpUntil([&] { return engine().isGameRunning(); }));
	EXPECT_TRUE(root()->getChildren().empty());
}

TEST_F(LoginOnline, ASecondLoginClickKeepsWhatTheServerSentSoFar)
{
	CTestServer server;
	ASSERT_TRUE(server.start());
	loginAndWait(server, L"ann");
	server.ok("block u16:10+u16:1+text:round u16:7+text:ball u16:12+u32:5+u8:0+text:ball u16:17+u32:5");
	ASSERT_TRUE(pumpUntil([&] { return engine().getPlayerObject() != nullptr; }));

	// The server has not answered with the game phase yet.
	click(screen().LoginButton);
	for (int frame = 0; frame < 3; ++frame)
		engine().update();
	EXPECT_EQ(countId(ELSI_CONNECTION_ERROR), 0) << "the connection stays as it is";
	ASSERT_NE(engine().getPlayerObject(), nullptr);
	EXPECT_EQ(engine().getPlayerObject()->getId(), 5u);
	EXPECT_NE(CObjectManager::getInstance()->findObjectClass("ball"), nullptr);
	EXPECT_EQ(CObjectManager::getInstance()->getSceneObjects().size(), 1u);
	EXPECT_EQ(engine().getServerAttributes().size(), 1u);

	server.ok("block u16:5+text:2D");
	ASSERT_TRUE(pumpUntil([&] { return engine().isGameRunning(); }));
	ASSERT_NE(engine().getPlayerObject(), nullptr);
	EXPECT_EQ(engine().getPlayerObject()->getId(), 5u);
}

TEST_F(LoginOnline, EverySessionTakesItsLogoTextureWithIt)
{
	irr::video::IVideoDriver* driver = device()->getVideoDriver();
	ASSERT_NE(screen().PackageLogo->getImage(), nullptr) << "the first package's logo shows";
	const irr::u32 onScreen = driver->getTextureCount();
	for (int session = 0; session < 3; ++session)
	{
		SCOPED_TRACE(session);
		CTestServer server;
		ASSERT_TRUE(server.start());
		loginAndWait(server, L"ann");
		server.ok("block u16:5+text:2D");
		ASSERT_TRUE(pumpUntil([&] { return engine().isGameRunning(); }));
		EXPECT_EQ(driver->getTextureCount(), onScreen - 1) << "the logo goes with the screen";

		server.stop();
		ASSERT_TRUE(pumpUntil([&] { return !engine().isGameRunning(); }));
		ASSERT_NE(screen().PackageLogo->getImage(), nullptr);
		EXPECT_EQ(driver->getTextureCount(), onScreen);
		closeMessage(ELSI_CONNECTION_ERROR);
	}
}

} // namespace
