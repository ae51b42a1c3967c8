#include <string>

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include "frontend/CClassDefinitionReader.h"
#include "script/CScriptModule.h"
#include "support/engine_fixture.h"
#include "support/script_world.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/SAttribute.h"

namespace {

using namespace orv;

// The script host with its world, a null device for the files, and a folder
// for the documents.
class ClassDefinitions : public ::testing::Test
{
protected:
	~ClassDefinitions() override { device->drop(); }

	// Reads the document as a file of the folder.
	void read(const std::string& document, const std::string& name = "classes.xml")
	{
		folder.write(name, document);
		CClassDefinitionReader(device, &world.scripts()).read((folder.path() + name).c_str());
	}

	CObjectClass* find(const char* name) { return CObjectManager::getInstance()->findObjectClass(name); }

	// What the class's script answers from "string which()"; empty without it.
	std::string which(const char* className)
	{
		CObjectClass* objectClass = find(className);
		if (!objectClass)
			return "no class";
		AngelScript::asIScriptModule* code = objectClass->getModule()->getEngineModule();
		if (!code || !code->GetFunctionByDecl("string which()"))
			return "";
		return world.call(objectClass->getModule(), "string which()");
	}

	test::CScriptWorld world;
	test::CTempFolder folder;
	irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
};

std::string classes(const std::string& body)
{
	return "<?xml version=\"1.0\"?>\n<orvclasses version=\"1\"><objectclasses>" + body +
		"</objectclasses></orvclasses>\n";
}

TEST_F(ClassDefinitions, AttributesTakeTheirTypeAndValue)
{
	struct Case
	{
		const char* attribute;
		EAttributeType type;
		irr::s64 intValue;
		float floatValue;
		const char* text;
	};
	const Case cases[] = {
		{"<attribute name=\"a\" type=\"int\" value=\"-5\"/>", EAT_INT, -5, 0.0f, ""},
		{"<attribute name=\"a\" type=\"int\"/>", EAT_INT, 0, 0.0f, ""},
		{"<attribute name=\"a\" type=\"float\" value=\"2.5\"/>", EAT_FLOAT, 0, 2.5f, ""},
		{"<attribute name=\"a\" type=\"string\" value=\"red\"/>", EAT_STRING, 0, 0.0f, "red"},
		{"<attribute name=\"a\" value=\"no type\"/>", EAT_STRING, 0, 0.0f, "no type"},
		{"<attribute name=\"a\" type=\"\" value=\"empty type\"/>", EAT_STRING, 0, 0.0f, "empty type"},
		{"<attribute name=\"a\" type=\"double\" value=\"1.5\"/>", EAT_UINT, 0, 0.0f, ""},
		{"<attribute name=\"a\" type=\"Int\" value=\"3\"/>", EAT_UINT, 0, 0.0f, ""},
	};
	int index = 0;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.attribute);
		const std::string name = "typed" + std::to_string(index++);
		read(classes("<class name=\"" + name + "\">" + c.attribute + "</class>"));
		CObjectClass* objectClass = find(name.c_str());
		ASSERT_NE(objectClass, nullptr);
		const SAttribute* attribute = objectClass->getAttributes().findByName("a");
		ASSERT_NE(attribute, nullptr);
		EXPECT_EQ(attribute->type, c.type);
		if (c.type == EAT_INT)
		{
			EXPECT_EQ(static_cast<irr::s64>(attribute->intValue), c.intValue);
		}
		else if (c.type == EAT_FLOAT)
		{
			EXPECT_EQ(attribute->floatValue, c.floatValue);
		}
		else if (c.type == EAT_UINT)
		{
			EXPECT_EQ(attribute->intValue, 0u);
		}
		EXPECT_EQ(attribute->textValue.toUTF8_std(), c.text);
	}
}

TEST_F(ClassDefinitions, AnAttributeKeepsItsIdAndAnUnknownTypeLeavesItAlone)
{
	read(classes("<class name=\"c\"><attribute name=\"x\" type=\"int\" value=\"1\"/>"
				 "<attribute name=\"y\" type=\"float\" value=\"2\"/>"
				 "<attribute name=\"x\" type=\"string\" value=\"again\"/>"
				 "<attribute name=\"y\" type=\"double\" value=\"9\"/></class>"));
	CObjectClass* objectClass = find("c");
	ASSERT_NE(objectClass, nullptr);
	EXPECT_EQ(objectClass->getAttributes().size(), 2u);
	const SAttribute* x = objectClass->getAttributes().findByName("x");
	const SAttribute* y = objectClass->getAttributes().findByName("y");
	ASSERT_TRUE(x && y);
	EXPECT_EQ(x->id, 0);
	EXPECT_EQ(x->type, EAT_STRING);
	EXPECT_EQ(x->textValue.toUTF8_std(), "again");
	EXPECT_EQ(y->id, 1);
	EXPECT_EQ(y->type, EAT_FLOAT);
	EXPECT_EQ(y->floatValue, 2.0f);
}

TEST_F(ClassDefinitions, OnlyVersionOneDefinesClasses)
{
	struct Case
	{
		const char* what;
		std::string document;
		bool defined;
	};
	const Case cases[] = {
		{"version 1", classes("<class name=\"v\"/>"), true},
		{"version 2", "<orvclasses version=\"2\"><objectclasses><class name=\"v\"/></objectclasses></orvclasses>",
			false},
		{"no version", "<orvclasses><objectclasses><class name=\"v\"/></objectclasses></orvclasses>", false},
		{"no root", "<objectclasses><class name=\"v\"/></objectclasses>", true},
		{"a class outside the list", "<orvclasses version=\"1\"><class name=\"v\"/></orvclasses>", false},
		{"cut after the class", "<orvclasses version=\"1\"><objectclasses><class name=\"v\"/><class name=\"w", true},
		{"not XML", "\x89PNG\r\n\x1a\n", false},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.what);
		CObjectManager::destroyInstance();
		read(c.document);
		EXPECT_EQ(find("v") != nullptr, c.defined);
	}
	CObjectManager::destroyInstance();
	CClassDefinitionReader(device, &world.scripts()).read((folder.path() + "missing.xml").c_str());
	EXPECT_EQ(find("v"), nullptr);
}

TEST_F(ClassDefinitions, ScriptsComeFromCDATAOrAFile)
{
	folder.write("class.as", "string which() { return \"file\"; }");
	folder.write("empty.as", "");
	const std::string file = folder.path() + "class.as";
	struct Case
	{
		const char* what;
		std::string script;
		const char* answer;
	};
	const Case cases[] = {
		{"CDATA", "<script><![CDATA[\n string which() { return \"cdata\"; }\n]]></script>", "cdata"},
		{"a file", "<script file=\"" + file + "\"/>", "file"},
		{"CDATA beside a file attribute",
			"<script file=\"" + file + "\"><![CDATA[string which() { return \"cdata\"; }]]></script>", "cdata"},
		{"two CDATA sections: the last",
			"<script><![CDATA[string which() { return \"one\"; }]]><![CDATA[string which() { return \"two\"; }]]>"
			"</script>",
			"two"},
		{"two script elements: the last",
			"<script file=\"" + file + "\"/><script><![CDATA[string which() { return \"cdata\"; }]]></script>",
			"cdata"},
		{"plain text is not code", "<script>string which() { return \"text\"; }</script>", ""},
		{"a missing file", "<script file=\"" + folder.path() + "none.as\"/>", ""},
		{"an empty file", "<script file=\"" + folder.path() + "empty.as\"/>", ""},
		{"no file attribute", "<script/>", ""},
	};
	int index = 0;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.what);
		const std::string name = "scripted" + std::to_string(index++);
		read(classes("<class name=\"" + name + "\">" + c.script + "</class>"));
		EXPECT_EQ(which(name.c_str()), c.answer);
	}
}

TEST_F(ClassDefinitions, ReadingAgainKeepsClassesAndReloadsTheirScripts)
{
	const std::string document = classes("<class name=\"again\"><attribute name=\"hp\" type=\"int\" value=\"3\"/>"
										 "<script><![CDATA[string which() { return \"first\"; }]]></script>"
										 "</class><class name=\"bare\"/>");
	read(document);
	CObjectClass* objectClass = find("again");
	ASSERT_NE(objectClass, nullptr);
	objectClass->getAttributes().findByName("hp")->setInt(10);
	ASSERT_NE(find("bare"), nullptr);
	EXPECT_EQ(find("bare")->getAttributes().size(), 0u);
	EXPECT_NE(find("bare")->getModule()->getEngineModule(), nullptr);

	std::string changed = document;
	changed.replace(changed.find("first"), 5, "again");
	read(changed);
	EXPECT_EQ(find("again"), objectClass);
	EXPECT_EQ(objectClass->getAttributes().size(), 1u);
	EXPECT_EQ(objectClass->getAttributes().findByName("hp")->id, 0);
	EXPECT_EQ(objectClass->getAttributes().findByName("hp")->getInt(), 3);
	EXPECT_EQ(which("again"), "again");
}

TEST_F(ClassDefinitions, AClassWithoutNameIsTheEmptyName)
{
	read(classes("<class><attribute name=\"a\" value=\"x\"/></class>"));
	ASSERT_NE(find(""), nullptr);
	EXPECT_NE(find("")->getAttributes().findByName("a"), nullptr);
}

} // namespace
