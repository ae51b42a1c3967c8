#pragma once

// The XML reader every content file is read with: node for node, name for
// name and value for value what Irrlicht 1.8's reader gives, quirks
// included, so that levels made for it read the same. Irrlicht's reader
// rebuilds a text or attribute value once more for every entity in it, which
// makes a long text of entities take quadratic time; this one decodes each
// text in one pass, and never reads past the end of its text.

#include <string>
#include <vector>

#include <IXMLReader.h>

namespace orv {

class CXmlReader final : public irr::io::IXMLReaderUTF8
{
public:
	//! Takes the file's bytes. A UTF-8 byte-order mark at the start is
	//! skipped, as Irrlicht does; an embedded NUL ends the text.
	explicit CXmlReader(std::vector<char> text);

	bool read() override;
	irr::io::EXML_NODE getNodeType() const override { return NodeType; }
	unsigned int getAttributeCount() const override { return static_cast<unsigned int>(AttributeCount); }
	const char* getAttributeName(int index) const override;
	const char* getAttributeValue(int index) const override;
	const char* getAttributeValue(const char* name) const override;
	const char* getAttributeValueSafe(const char* name) const override;
	int getAttributeValueAsInt(const char* name) const override;
	int getAttributeValueAsInt(int index) const override;
	float getAttributeValueAsFloat(const char* name) const override;
	float getAttributeValueAsFloat(int index) const override;
	const char* getNodeName() const override { return NodeName.c_str(); }
	const char* getNodeData() const override { return NodeName.c_str(); }
	bool isEmptyElement() const override { return EmptyElement; }
	irr::io::ETEXT_FORMAT getSourceFormat() const override { return SourceFormat; }
	irr::io::ETEXT_FORMAT getParserFormat() const override { return irr::io::ETF_UTF8; }

private:
	struct SAttribute
	{
		std::string name;
		std::string value;
	};

	// One node each, from the '<' (or the text) at Position. A construct that
	// runs to the end of the text without closing ends the read there, where
	// Irrlicht's reader would read past the end or make a node of nothing.
	bool parseText(size_t start, size_t end);
	void parseClosingTag();
	void parseDeclaration();
	bool parseCData();
	void parseComment();
	void parseOpeningTag();
	//! Skips to the first c from Position; false when the text ends first.
	bool skipTo(char c);
	//! Ends the read: every later read() is false.
	void stop();

	const SAttribute* findAttribute(const char* name) const;
	//! The text of [begin, end) with Irrlicht's five entities replaced.
	void decode(size_t begin, size_t end, std::string& out) const;

	std::vector<char> Text; // ends with a NUL that is not part of the text
	size_t Position = 0;
	size_t End = 0; // the NUL's index
	bool Stopped = false;
	irr::io::EXML_NODE NodeType = irr::io::EXN_NONE;
	std::string NodeName;
	// The first AttributeCount entries are the node's; the others keep their
	// capacity for the next element.
	std::vector<SAttribute> Attributes;
	size_t AttributeCount = 0;
	bool EmptyElement = false;
	irr::io::ETEXT_FORMAT SourceFormat = irr::io::ETF_ASCII;
};

} // namespace orv
