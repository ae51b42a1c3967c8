#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "CRecordingLogger.h"
#include "base/CXmlReader.h"
#include "base/Log.h"
#include "support/AllocationCount.h"
#include "base/XmlReader.h"

using namespace irr;

namespace {

struct SNode
{
	io::EXML_NODE type;
	std::string name;
	std::vector<std::pair<std::string, std::string>> attributes;

	bool operator==(const SNode& other) const
	{
		return type == other.type && name == other.name && attributes == other.attributes;
	}
};

class XmlReaderTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		device = createDevice(video::EDT_NULL);
		ASSERT_NE(device, nullptr);
		orv::setLogger(&logger);
	}
	void TearDown() override
	{
		orv::setLogger(nullptr);
		device->drop();
	}

	io::IXMLReaderUTF8* readerOver(const std::string& bytes, const char* name = "level.xml")
	{
		io::IReadFile* file = device->getFileSystem()->createMemoryReadFile(
			const_cast<char*>(bytes.data()), static_cast<s32>(bytes.size()), name, false);
		io::IXMLReaderUTF8* reader = orv::createXmlReader(device->getFileSystem(), file);
		file->drop();
		return reader;
	}

	std::vector<SNode> nodesOf(const std::string& bytes)
	{
		std::vector<SNode> nodes;
		io::IXMLReaderUTF8* reader = readerOver(bytes);
		if (!reader)
			return nodes;
		while (reader->read())
		{
			SNode node{reader->getNodeType(), reader->getNodeName(), {}};
			for (unsigned i = 0; i < reader->getAttributeCount(); ++i)
				node.attributes.emplace_back(reader->getAttributeName(i), reader->getAttributeValue(i));
			if (node.type == io::EXN_TEXT || node.type == io::EXN_CDATA)
				node.name = reader->getNodeData();
			nodes.push_back(node);
		}
		reader->drop();
		return nodes;
	}

	IrrlichtDevice* device = nullptr;
	orv::test::CRecordingLogger logger;
};

const char* const LEVEL = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n"
						  "<!-- a level -->\n"
						  "<orvlevel version=\"1\">\n"
						  "  <sceneobjects>\n"
						  "    <object type=\"static\" class=\"crate\">\n"
						  "      <property name=\"x\" type=\"float\" value=\"1.5\"/>\n"
						  "      <script><![CDATA[void Created(SceneObject@+ s) { if (1 > 0) {} }]]></script>\n"
						  "    </object>\n"
						  "    <object type='tiled'><tiledata width=\"2\" height=\"1\">AAAQ</tiledata></object>\n"
						  "  </sceneobjects>\n"
						  "</orvlevel>\n";

} // namespace

TEST(XmlReadableLength, CutsBeforeTheFirstConstructThatNeverCloses)
{
	struct Case
	{
		std::string text;
		size_t expected;
	};
	const Case cases[] = {
		{"", 0},
		{"<", 0},
		{"<a", 0},
		{"</a", 0},
		{"<a/", 0},
		{"text<", 4},
		{"<a>x</a><b", 8},
		{"<!--", 0},
		{"<!-- x", 0},
		{"<!-- x >", 0}, // no "-->"
		{"<!DOCTYPE", 0},
		{"<!-->", 0},       // the comment text would have a negative length
		{"<!-- << -->", 0}, // the reader nests brackets and never comes back out
		{"<![CDATA[x", 0},
		{"<![CDAT]]>", 0}, // the end overlaps the skipped opening
		{"<a b>", 0},      // an attribute name runs past '>' to the end
		{"<a b>\n", 0},    // ... and finds no quote
		{"<a b=\"1>", 0},
		{"<?xml version=\"1.0\"", 0},
		{"<a/>", 4},
		{"<a b='1'/>", 10},
		{"<a></a>", 7},
		{"<a><![CDATA[]]></a>", 19},
		{"<!---->", 7},
		{"<!DOCTYPE x [<!ENTITY y \"z\">]><a/>", 34},
		{"<?xml version=\"1.0\"?><a>x</a>", 29},
		{std::string("<a/>\0<", 6), 6}, // the reader stops at a NUL
		{"plain text", 10},
		// Each comment closes at its '>'; the only "-->" is the last thing.
		{"<!--  ><!--  ><!--  >-->", 24},
	};
	for (const Case& c : cases)
		EXPECT_EQ(orv::readableXmlLength(c.text.data(), c.text.size()), c.expected) << '"' << c.text << '"';
}

TEST_F(XmlReaderTest, EveryPrefixReadsTheNodesBeforeItsCut)
{
	const std::string level = LEVEL;
	const std::vector<SNode> whole = nodesOf(level);
	ASSERT_GT(whole.size(), 10u);
	EXPECT_TRUE(logger.lines.empty());

	for (size_t n = 0; n <= level.size(); ++n)
	{
		const std::string prefix = level.substr(0, n);
		const std::vector<SNode> nodes = nodesOf(prefix);
		// Elements whose tag closed before the cut are all there, in order.
		size_t elements = 0;
		for (size_t i = 0; i < nodes.size(); ++i)
		{
			if (nodes[i].type == io::EXN_ELEMENT)
			{
				++elements;
				EXPECT_EQ(nodes[i], whole[i]) << "prefix of " << n << " bytes, node " << i;
			}
		}
		size_t wholeElementsBefore = 0;
		for (size_t i = 0; i < whole.size() && wholeElementsBefore < elements; ++i)
			wholeElementsBefore += whole[i].type == io::EXN_ELEMENT;
		EXPECT_EQ(elements, wholeElementsBefore);
		if (n == level.size())
		{
			EXPECT_EQ(nodes, whole);
		}
	}
}

TEST_F(XmlReaderTest, ACutIsLoggedWithTheFileName)
{
	io::IXMLReaderUTF8* reader = readerOver("<orvlevel version=\"1\"><object", "broken.xml");
	ASSERT_NE(reader, nullptr);
	ASSERT_TRUE(reader->read());
	EXPECT_STREQ(reader->getNodeName(), "orvlevel");
	EXPECT_FALSE(reader->read());
	reader->drop();
	ASSERT_EQ(logger.lines.size(), 1u);
	EXPECT_EQ(logger.lines[0].text, "xml");
	EXPECT_NE(logger.lines[0].hint.find("broken.xml"), std::string::npos);
	EXPECT_EQ(logger.lines[0].level, ELL_WARNING);
}

TEST_F(XmlReaderTest, WideFilesAreReadAsUtf8)
{
	// "<a n="é€😀"/>" in UTF-16 LE and UTF-32 BE, each behind its mark.
	const std::u32string text = U"<a n=\"\u00E9\u20AC\U0001F600\"/>";
	std::string utf16le = "\xFF\xFE";
	const irr::core::ustring16 units(text);
	for (char16_t unit : units.toUTF16_std())
	{
		utf16le += static_cast<char>(unit & 0xFF);
		utf16le += static_cast<char>(unit >> 8);
	}
	std::string utf32be("\x00\x00\xFE\xFF", 4);
	for (char32_t cp : text)
		for (int shift = 24; shift >= 0; shift -= 8)
			utf32be += static_cast<char>((cp >> shift) & 0xFF);

	for (const std::string& bytes : {utf16le, utf32be})
	{
		const std::vector<SNode> nodes = nodesOf(bytes);
		ASSERT_EQ(nodes.size(), 1u);
		EXPECT_EQ(nodes[0].name, "a");
		ASSERT_EQ(nodes[0].attributes.size(), 1u);
		EXPECT_EQ(nodes[0].attributes[0].second, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
	}
}

TEST_F(XmlReaderTest, EmptyAndMissingFiles)
{
	io::IXMLReaderUTF8* reader = readerOver("");
	if (reader)
	{
		EXPECT_FALSE(reader->read());
		reader->drop();
	}
	EXPECT_EQ(orv::createXmlReader(device->getFileSystem(), io::path("no/such/file.xml")), nullptr);
	EXPECT_EQ(orv::createXmlReader(nullptr, io::path("x.xml")), nullptr);
}

namespace {

//! Everything a content reader can ask of the node the reader stands on.
std::string describeNode(const io::IXMLReaderUTF8& reader)
{
	std::string text = std::to_string(reader.getNodeType()) + " [" + reader.getNodeName() + "]" +
		(reader.isEmptyElement() ? " empty" : "") + " safe a=[" + reader.getAttributeValueSafe("a") +
		"] int a=" + std::to_string(reader.getAttributeValueAsInt("a")) +
		" float a=" + std::to_string(reader.getAttributeValueAsFloat("a"));
	for (unsigned i = 0; i < reader.getAttributeCount(); ++i)
		text += std::string(" {") + reader.getAttributeName(i) + "=" + reader.getAttributeValue(i) + " " +
			std::to_string(reader.getAttributeValueAsInt(static_cast<int>(i))) + " " +
			std::to_string(reader.getAttributeValueAsFloat(static_cast<int>(i))) + "}";
	return text;
}

std::vector<std::string> describeNodes(io::IXMLReaderUTF8* reader)
{
	std::vector<std::string> nodes;
	for (int n = 0; reader && n < 256 && reader->read(); ++n)
		nodes.push_back(describeNode(*reader));
	if (reader)
		reader->drop();
	return nodes;
}

} // namespace

// Levels were made for Irrlicht's reader: over every text whose constructs
// all close, the client's reader must give the very same nodes, names,
// values and flags, quirks included.
TEST_F(XmlReaderTest, ReadsWhatIrrlichtsReaderReads)
{
	std::vector<std::string> texts = {
		LEVEL,
		"<a a=\"&amp;x\"/>", // the character after a final entity is dropped
		"<a a=\"x&amp;&lt;&gt;&quot;&apos;&bogus;&\"/>",
		"<a a=\"&\"/><b a=\"&a\"/><c a='&am'/>",
		"<a a=\"1e3\"/><a a=\" 7\"/><a a=\"3.9\"/><a a=\"-2147483649\"/><a a=\"99999999999\"/>",
		"<a a=\"1\" a=\"2\"/>text <b/>  \n<c>\t</c>",
		"<a / b=\"1\">tail</a >",
		"<?xml version=\"1.0\"?><a x='1'/><?pi?>&amp;text",
		"<![CDATA[&amp;]]><!-- &amp; --><!DOCTYPE x [<!ENTITY y 'z'>]>",
		"\xEF\xBB\xBF<a>\xC3\xA9&lt;</a>",
	};
	// And short random texts of XML's punctuation and entities.
	const char* const pieces[] = {"<", ">", "/", "!", "-", "?", "[", "]", "CDATA", " ", "\n", "=", "'", "\"", "a", "b",
		"&", ";", "amp;", "lt;", "gt;", "quot;", "apos;", "1", ".5", "e3", "<![CDATA[", "]]>", "<!--", "-->"};
	std::mt19937 random(7);
	for (int n = 0; n < 20000; ++n)
	{
		std::string text;
		for (unsigned k = random() % 16; k > 0; --k)
			text += pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))];
		texts.push_back(text);
	}

	for (std::string text : texts)
	{
		text.resize(orv::readableXmlLength(text.data(), text.size()));
		io::IReadFile* file = device->getFileSystem()->createMemoryReadFile(
			const_cast<char*>(text.data()), static_cast<s32>(text.size()), "x.xml", false);
		const std::vector<std::string> irrlichts = describeNodes(device->getFileSystem()->createXMLReaderUTF8(file));
		file->drop();
		const std::vector<std::string> ours = describeNodes(
			new orv::CXmlReader(std::vector<char>(text.begin(), text.end())));
		ASSERT_EQ(ours, irrlichts) << '"' << text << '"';
	}
}

// Irrlicht's reader builds a text anew for each entity in it, allocating
// and copying what it has so far every time; this one decodes in one pass.
TEST(XmlReader, ATextOfManyEntitiesIsDecodedInOnePass)
{
	const int entities = 100000;
	std::string text = "<a v=\"";
	for (int i = 0; i < entities; ++i)
		text += "&lt;x";
	text += "y\">";
	for (int i = 0; i < entities; ++i)
		text += "&amp;";
	text += "zz</a>";
	orv::CXmlReader reader(std::vector<char>(text.begin(), text.end()));

	const size_t before = orv::test::allocatedBytes();
	ASSERT_TRUE(reader.read());
	ASSERT_TRUE(reader.read());
	// Each text is allocated a few times over while it grows, never once per entity.
	EXPECT_LT(orv::test::allocatedBytes() - before, 8 * text.size());

	EXPECT_EQ(std::string(reader.getNodeData()), std::string(entities, '&') + "zz");
}

TEST(XmlReader, AnAttributeOfManyEntitiesIsDecodedWhole)
{
	std::string text = "<a v=\"";
	for (int i = 0; i < 1000; ++i)
		text += "&lt;x";
	text += "y\"/>";
	orv::CXmlReader reader(std::vector<char>(text.begin(), text.end()));
	ASSERT_TRUE(reader.read());
	const std::string value = reader.getAttributeValue("v");
	ASSERT_EQ(value.size(), 2001u);
	EXPECT_EQ(value.substr(0, 4), "<x<x");
	EXPECT_EQ(value.back(), 'y');
}

// An element of a million short attributes would hold some 20 times its text:
// the first ones are kept, the rest read past, and the next node reads whole.
TEST(XmlReader, AnElementKeepsItsFirstAttributesOnly)
{
	const int attributes = 200000;
	std::string text = "<a";
	for (int i = 0; i < attributes; ++i)
		text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
	text += "/><b c=\"d\"/>";
	orv::CXmlReader reader(std::vector<char>(text.begin(), text.end()));

	const size_t before = orv::test::allocatedBytes();
	ASSERT_TRUE(reader.read());
	EXPECT_LT(orv::test::allocatedBytes() - before, 2 * text.size());
	EXPECT_EQ(static_cast<size_t>(reader.getAttributeCount()), orv::MAX_XML_ATTRIBUTES);
	EXPECT_STREQ(reader.getAttributeValue("a1023"), "1023");
	EXPECT_EQ(reader.getAttributeValue("a1024"), nullptr);
	ASSERT_TRUE(reader.read());
	EXPECT_STREQ(reader.getNodeName(), "b");
	EXPECT_STREQ(reader.getAttributeValue("c"), "d");
}
