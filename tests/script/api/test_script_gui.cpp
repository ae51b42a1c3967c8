#include <string>

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/api/CGUIElement.h"
#include "script/api/CGUIEngine.h"
#include "script/api/CGUIImage.h"
#include "script/api/CGUIStaticText.h"
#include "support/TestPictures.h"
#include "support/engine_fixture.h"

namespace {

using namespace orv;
using namespace AngelScript;

// Scripts run in a module of the engine's own host, on the null device, in a
// folder holding one picture.
class ScriptGUI : public ::testing::Test
{
protected:
	void SetUp() override
	{
		sandbox.reset(new test::CEngineSandbox({{"red.tga", test::solidTga(8, 4, {255, 0, 0}, {255, 0, 0})},
			{"blue.tga", test::solidTga(8, 4, {0, 0, 255}, {0, 0, 255})}}));
		ASSERT_TRUE(sandbox->started());
		// As a game starts: the login screen goes.
		engine().getDevice()->getGUIEnvironment()->clear();
		module = engine().getScriptManager()->getModule("gui_test");
	}

	void TearDown() override { sandbox.reset(); }

	CGameEngine& engine() { return *sandbox->engine(); }
	irr::gui::IGUIElement* root() { return engine().getDevice()->getGUIEnvironment()->getRootGUIElement(); }

	void load(const std::string& code)
	{
		module->load(code.c_str(), "main");
		ASSERT_NE(module->getEngineModule(), nullptr);
		ASSERT_GT(module->getEngineModule()->GetFunctionCount(), 0u) << "the code did not build";
	}

	// Runs the function; its bool result, false for another type.
	bool call(const char* declaration)
	{
		asIScriptFunction* function = module->getEngineModule()->GetFunctionByDecl(declaration);
		EXPECT_NE(function, nullptr) << declaration;
		if (!function)
			return false;
		asIScriptContext* context = engine().getScriptManager()->getEngine()->CreateContext();
		context->Prepare(function);
		EXPECT_EQ(context->Execute(), asEXECUTION_FINISHED) << declaration;
		const bool result = function->GetReturnTypeId() == asTYPEID_BOOL && context->GetReturnByte() != 0;
		context->Release();
		return result;
	}

	const std::list<gui::CGUIElement*>& listed() { return gui::CGUIEngine::getInstance()->getElements(); }

	std::unique_ptr<test::CEngineSandbox> sandbox;
	script::CScriptModule* module = nullptr;
};

TEST_F(ScriptGUI, KindsAnswerThroughEveryHandleAndCastsTestTheKind)
{
	load(R"AS(
bool main()
{
	GUIStaticText@ text = GUI.create_statictext("hello", recti(10, 20, 110, 40));
	GUIImage@ image = GUI.create_image("red.tga", vector2di(5, 6));
	GUIElement@ textElement = text;
	GUIElement@ imageElement = image;
	return text.get_type() == EGT_STATICTEXT && textElement.get_type() == EGT_STATICTEXT
		&& imageElement.get_type() == EGT_IMAGE
		&& cast<GUIImage>(textElement) is null && cast<GUIStaticText>(imageElement) is null
		&& cast<GUIStaticText>(textElement) is text && cast<GUIImage>(imageElement) is image
		&& cast<GUIImage>(cast<GUIElement>(null)) is null;
}
)AS");
	EXPECT_TRUE(call("bool main()"));
	// The script's handles are gone; the list keeps both on screen.
	ASSERT_EQ(listed().size(), 2u);
	for (gui::CGUIElement* element : listed())
		EXPECT_EQ(element->getReferenceCount(), 1);
	EXPECT_EQ(root()->getChildren().size(), 2u);
}

TEST_F(ScriptGUI, NewTextIsOpaqueBlackAndMovesWithItsSize)
{
	load(R"AS(
GUIStaticText@ text;
bool make()
{
	@text = GUI.create_statictext("hello", recti(10, 20, 110, 45));
	return text.Color == SColor(0xFF000000) && text.Text == "hello" && text.Visible
		&& text.Position == vector2di(10, 20) && !text.Background && !text.Border;
}
bool change()
{
	text.Position = vector2di(200, 300);
	text.Color = SColor(0xFF00FF00);
	text.Text = "bye";
	text.Border = true;
	text.Background = true;
	text.BackgroundColor = SColor(0xFF102030);
	text.set_alignment(EGUIA_CENTER, EGUIA_LOWERRIGHT);
	text.Visible = false;
	return text.Color == SColor(0xFF00FF00) && text.BackgroundColor == SColor(0xFF102030) && text.Border
		&& text.Background && !text.Visible && text.Position == vector2di(200, 300);
}
)AS");
	ASSERT_TRUE(call("bool make()"));
	auto* element = static_cast<irr::gui::IGUIStaticText*>(listed().front()->getElement());
	ASSERT_NE(element, nullptr);
	EXPECT_EQ(element->getRelativePosition(), irr::core::recti(10, 20, 110, 45));
	EXPECT_TRUE(element->isOverrideColorEnabled());
	EXPECT_TRUE(element->isWordWrapEnabled());

	ASSERT_TRUE(call("bool change()"));
	EXPECT_EQ(element->getRelativePosition(), irr::core::recti(200, 300, 300, 325));
	EXPECT_EQ(std::wstring(element->getText()), L"bye");
	EXPECT_FALSE(element->isVisible());
}

TEST_F(ScriptGUI, RemovingLeavesTheScreenOnlyOnceNoScriptHoldsIt)
{
	load(R"AS(
GUIStaticText@ kept;
GUIStaticText@ dropped;
bool make()
{
	@kept = GUI.create_statictext("kept", recti(0, 0, 50, 20));
	@dropped = GUI.create_statictext("dropped", recti(0, 30, 50, 50));
	return GUI.remove_element(kept) && GUI.remove_element(dropped) && !GUI.remove_element(kept)
		&& !GUI.remove_element(null);
}
void letGo() { @kept = null; @dropped = null; }
)AS");
	ASSERT_TRUE(call("bool make()"));
	EXPECT_TRUE(listed().empty());
	// The globals still hold both: they stay on screen.
	EXPECT_EQ(root()->getChildren().size(), 2u);
	call("void letGo()");
	EXPECT_TRUE(root()->getChildren().empty());
}

TEST_F(ScriptGUI, CollectionsHoldEachMemberOnceAndShowThemTogether)
{
	load(R"AS(
bool main()
{
	GUICollection@ group = GUI.create_collection();
	GUIStaticText@ a = GUI.create_statictext("a", recti(0, 0, 10, 10));
	GUIImage@ b = GUI.create_image("red.tga");
	bool first = group.add_element(a) && group.add_element(b);
	bool again = group.add_element(a);
	bool none = group.add_element(null);
	group.set_visibility(false);
	bool hidden = !a.Visible && !b.Visible;
	group.remove_element(a);
	group.remove_element(a);
	group.set_visibility(true);
	return first && !again && !none && hidden && !a.Visible && b.Visible && b.Position == vector2di(0, 0);
}
)AS");
	EXPECT_TRUE(call("bool main()"));
	// The collection is gone with its references: only the list's are left.
	ASSERT_EQ(listed().size(), 2u);
	for (gui::CGUIElement* element : listed())
		EXPECT_EQ(element->getReferenceCount(), 1);
}

TEST_F(ScriptGUI, ImagesShowTheEngineImageAndKeepItWhenAnotherCannotBeHad)
{
	load(R"AS(
GUIImage@ image;
bool missing()
{
	@image = GUI.create_image("no such picture.tga", vector2di(3, 4));
	image.SourceRect = recti(1, 1, 2, 2);
	image.Visible = true;
	return image.Image == "" && image.SourceRect == recti(0, 0, 0, 0) && !image.Visible
		&& image.Position == vector2di(3, 4);
}
bool found()
{
	image.Image = "red.tga";
	image.SourceRect = recti(1, 0, 3, 2);
	return image.Image == "red.tga" && image.Visible && image.SourceRect == recti(1, 0, 3, 2);
}
bool keptOnFailure()
{
	image.Image = "no such picture.tga";
	return image.Image == "red.tga";
}
)AS");
	ASSERT_TRUE(call("bool missing()"));
	EXPECT_TRUE(root()->getChildren().empty());
	ASSERT_TRUE(call("bool found()"));
	ASSERT_EQ(root()->getChildren().size(), 1u);
	irr::gui::IGUIElement* shown = *root()->getChildren().getLast();
	EXPECT_EQ(shown->getRelativePosition().UpperLeftCorner, irr::core::position2di(3, 4));

	// The same name again changes nothing: the element stays the same one.
	gui::CGUIImage* wrapper = static_cast<gui::CGUIImage*>(listed().front());
	wrapper->setImage("red.tga");
	EXPECT_EQ(wrapper->getElement(), shown);
	wrapper->setImage("no such picture.tga");
	EXPECT_EQ(wrapper->getElement(), shown);
	wrapper->setImage("blue.tga");
	EXPECT_NE(wrapper->getElement(), shown);
	EXPECT_EQ(root()->getChildren().size(), 1u);
}

TEST_F(ScriptGUI, ElementsKeptAcrossAGUIClearStayUsable)
{
	load(R"AS(
GUIStaticText@ text;
GUIImage@ image;
void make()
{
	@text = GUI.create_statictext("before", recti(0, 0, 80, 20));
	@image = GUI.create_image("red.tga", vector2di(1, 2));
}
bool touch()
{
	text.Text = "after";
	text.Position = vector2di(4, 5);
	text.Visible = false;
	text.Color = SColor(0xFF0000FF);
	image.SourceRect = recti(0, 0, 1, 1);
	image.Image = "blue.tga";
	return text.Text == "after" && GUI.remove_element(text);
}
void letGo() { @text = null; @image = null; }
)AS");
	call("void make()");
	// The game phase, Play and a lost connection all clear the GUI.
	engine().getDevice()->getGUIEnvironment()->clear();
	EXPECT_TRUE(call("bool touch()"));
	// The new picture is a new element on screen; the text's is not.
	EXPECT_EQ(root()->getChildren().size(), 1u);
	call("void letGo()");
	engine().render();
}

} // namespace
