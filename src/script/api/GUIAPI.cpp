#include "script/api/GUIAPI.h"

#include "script/api/CGUICollection.h"
#include "script/api/CGUIEngine.h"
#include "script/api/CGUIImage.h"
#include "script/api/CGUIStaticText.h"
#include "script/api/GUIBounds.h"
#include "script/api/RefCasts.h"
#include "script/bindings/GeometryRegistrar.h"
#include "script/bindings/ValueTypeRows.h"

#include <angelscript.h>

#include <string>

namespace orv::script {

using namespace AngelScript;
using gui::CGUICollection;
using gui::CGUIElement;
using gui::CGUIEngine;
using gui::CGUIImage;
using gui::CGUIStaticText;
using irr::core::ustring16;

namespace {

struct SEnumValue
{
	const char* name;
	int value;
};

const SEnumValue GUI_TYPES[] = {{"EGT_WINDOW", gui::EGT_WINDOW}, {"EGT_MESSAGE_BOX", gui::EGT_MESSAGE_BOX},
	{"EGT_STATICTEXT", gui::EGT_STATICTEXT}, {"EGT_IMAGE", gui::EGT_IMAGE}, {"EGT_BUTTON", gui::EGT_BUTTON},
	{"EGT_EDIT_BOX", gui::EGT_EDIT_BOX}, {"EGT_CHECK_BOX", gui::EGT_CHECK_BOX}, {"EGT_COMBO_BOX", gui::EGT_COMBO_BOX},
	{"EGT_LIST_BOX", gui::EGT_LIST_BOX}, {"EGT_SPIN_BOX", gui::EGT_SPIN_BOX}, {"EGT_SCROLLBAR", gui::EGT_SCROLLBAR},
	{"EGT_CONTEXT_MENU", gui::EGT_CONTEXT_MENU}, {"EGT_UNKNOWN", gui::EGT_UNKNOWN}, {"EGT_COUNT", gui::EGT_COUNT}};

const char* const ELEMENT_TYPES[] = {"GUIElement", "GUIImage", "GUIStaticText"};

// A handle parameter carries a reference of the caller's, which each of
// these gives back once done with the element.
void release(CGUIElement* element)
{
	if (element)
		element->drop();
}

// Past a bound the script's run ends with an exception that says which.
bool mayMake(std::size_t alive, std::size_t most, const char* what)
{
	if (alive < most)
		return true;
	const std::string message = std::to_string(most) + " GUI " + what +
		" are alive, the most scripts may have; remove some first";
	raiseScriptException(message.c_str());
	return false;
}

bool mayMakeElement()
{
	return mayMake(gui::countGUIElements(), gui::GUI_MAX_ELEMENTS, "elements");
}

CGUICollection* createCollection(CGUIEngine* engine)
{
	return mayMake(gui::countGUICollections(), gui::GUI_MAX_COLLECTIONS, "collections") ? engine->createCollection()
																						: nullptr;
}

CGUIImage* createImage(const ustring16& fileName, const irr::core::vector2di& position, CGUIEngine* engine)
{
	return mayMakeElement() ? engine->createImage(fileName, position) : nullptr;
}

CGUIImage* createImageAtOrigin(const ustring16& fileName, CGUIEngine* engine)
{
	return createImage(fileName, irr::core::vector2di(0, 0), engine);
}

CGUIStaticText* createStaticText(const ustring16& text, const irr::core::recti& rectangle, CGUIEngine* engine)
{
	return mayMakeElement() ? engine->createStaticText(text, rectangle) : nullptr;
}

bool removeFromEngine(CGUIElement* element, CGUIEngine* engine)
{
	const bool removed = engine->removeElement(element);
	release(element);
	return removed;
}

bool addToCollection(CGUIElement* element, CGUICollection* collection)
{
	const bool added = collection->addElement(element);
	release(element);
	return added;
}

void removeFromCollection(CGUIElement* element, CGUICollection* collection)
{
	collection->removeElement(element);
	release(element);
}

void registerReferenceCounting(asIScriptEngine* engine, const char* type)
{
	engine->RegisterObjectBehaviour(
		type, asBEHAVE_ADDREF, "void f()", asMETHODPR(irr::IReferenceCounted, grab, () const, void), asCALL_THISCALL);
	engine->RegisterObjectBehaviour(
		type, asBEHAVE_RELEASE, "void f()", asMETHODPR(irr::IReferenceCounted, drop, () const, bool), asCALL_THISCALL);
}

void registerRows(asIScriptEngine* engine, const char* type, std::initializer_list<SMethodRow> rows)
{
	for (const SMethodRow& row : rows)
		engine->RegisterObjectMethod(type, row.Declaration, row.Function, row.CallConv);
}

void registerGUICollectionAPI(asIScriptEngine* engine)
{
	registerReferenceCounting(engine, "GUICollection");
	registerRows(engine, "GUICollection",
		{
			{"bool add_element(GUIElement@ element)", asFUNCTION(addToCollection), asCALL_CDECL_OBJLAST},
			{"void remove_element(GUIElement@ element)", asFUNCTION(removeFromCollection), asCALL_CDECL_OBJLAST},
			{"void set_visibility(bool visible)", asMETHOD(CGUICollection, setVisibility), asCALL_THISCALL},
		});
}

// The kinds derive from CGUIElement alone, so a handle of any of them points
// at the base part and the virtual operations answer for the actual kind.
void registerGUIElementBase(asIScriptEngine* engine, const char* type)
{
	registerReferenceCounting(engine, type);
	registerRows(engine, type,
		{
			{"EGUIType get_type() const", asMETHOD(CGUIElement, getType), asCALL_THISCALL},
			{"vector2di get_Position() const", asMETHOD(CGUIElement, getPosition), asCALL_THISCALL},
			{"void set_Position(const vector2di &in position)", asMETHOD(CGUIElement, setPosition), asCALL_THISCALL},
			{"bool get_Visible() const", asMETHOD(CGUIElement, isVisible), asCALL_THISCALL},
			{"void set_Visible(bool)", asMETHOD(CGUIElement, setVisible), asCALL_THISCALL},
		});
}

void registerGUIImageAPI(asIScriptEngine* engine)
{
	registerGUIElementBase(engine, "GUIImage");
	registerRows(engine, "GUIImage",
		{
			{"recti get_SourceRect() const", asMETHOD(CGUIImage, getSourceRect), asCALL_THISCALL},
			{"void set_SourceRect(const recti &in rectangle)", asMETHOD(CGUIImage, setSourceRect), asCALL_THISCALL},
			{"string get_Image() const", asMETHOD(CGUIImage, getImage), asCALL_THISCALL},
			{"void set_Image(const string &in image)", asMETHOD(CGUIImage, setImage), asCALL_THISCALL},
		});
}

void registerGUIStaticTextAPI(asIScriptEngine* engine)
{
	registerGUIElementBase(engine, "GUIStaticText");
	registerRows(engine, "GUIStaticText",
		{
			{"string get_Text() const", asMETHOD(CGUIStaticText, getText), asCALL_THISCALL},
			{"void set_Text(const string &in)", asMETHOD(CGUIStaticText, setText), asCALL_THISCALL},
			{"SColor get_Color() const", asMETHOD(CGUIStaticText, getColor), asCALL_THISCALL},
			{"void set_Color(const SColor &in color)", asMETHOD(CGUIStaticText, setColor), asCALL_THISCALL},
			{"SColor get_BackgroundColor() const", asMETHOD(CGUIStaticText, getBackgroundColor), asCALL_THISCALL},
			{"void set_BackgroundColor(const SColor &in color)", asMETHOD(CGUIStaticText, setBackgroundColor),
				asCALL_THISCALL},
			{"bool get_Background() const", asMETHOD(CGUIStaticText, getBackground), asCALL_THISCALL},
			{"void set_Background(bool)", asMETHOD(CGUIStaticText, setBackground), asCALL_THISCALL},
			{"bool get_Border() const", asMETHOD(CGUIStaticText, getBorder), asCALL_THISCALL},
			{"void set_Border(bool)", asMETHOD(CGUIStaticText, setBorder), asCALL_THISCALL},
			{"void set_alignment(EGUI_ALIGNMENT horizontal, EGUI_ALIGNMENT vertical)",
				asMETHOD(CGUIStaticText, setAlignment), asCALL_THISCALL},
		});
}

} // namespace

void registerGUITypes(asIScriptEngine* engine)
{
	engine->RegisterEnum("EGUIType");
	for (const SEnumValue& value : GUI_TYPES)
		engine->RegisterEnumValue("EGUIType", value.name, value.value);
	for (const char* type : ELEMENT_TYPES)
		engine->RegisterObjectType(type, 0, asOBJ_REF);
}

void registerGUIEngineAPI(asIScriptEngine* engine)
{
	registerRows(engine, "GUIEngine",
		{
			{"GUICollection@ create_collection()", asFUNCTION(createCollection), asCALL_CDECL_OBJLAST},
			{"GUIImage@ create_image(const string &in filename)", asFUNCTION(createImageAtOrigin),
				asCALL_CDECL_OBJLAST},
			{"GUIImage@ create_image(const string &in filename, const vector2di &in position)", asFUNCTION(createImage),
				asCALL_CDECL_OBJLAST},
			{"GUIStaticText@ create_statictext(const string &in text, const recti &in rectangle)",
				asFUNCTION(createStaticText), asCALL_CDECL_OBJLAST},
			{"bool remove_element(GUIElement@ element)", asFUNCTION(removeFromEngine), asCALL_CDECL_OBJLAST},
		});
	engine->RegisterGlobalProperty("GUIEngine GUI", CGUIEngine::getInstance());
	registerGUICollectionAPI(engine);
}

void registerGUIMethods(asIScriptEngine* engine)
{
	registerGUIElementBase(engine, "GUIElement");
	registerGUIImageAPI(engine);
	registerGUIStaticTextAPI(engine);
	registerRows(engine, "GUIElement",
		{
			{"GUIImage@ opCast()", asFUNCTION((castDown<CGUIImage, CGUIElement>)), asCALL_CDECL_OBJLAST},
			{"GUIStaticText@ opCast()", asFUNCTION((castDown<CGUIStaticText, CGUIElement>)), asCALL_CDECL_OBJLAST},
		});
	registerRows(engine, "GUIImage",
		{{"GUIElement@ opImplCast()", asFUNCTION((castUp<CGUIElement, CGUIImage>)), asCALL_CDECL_OBJLAST}});
	registerRows(engine, "GUIStaticText",
		{{"GUIElement@ opImplCast()", asFUNCTION((castUp<CGUIElement, CGUIStaticText>)), asCALL_CDECL_OBJLAST}});
}

} // namespace orv::script
