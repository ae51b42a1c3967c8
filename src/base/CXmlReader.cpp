#include "base/CXmlReader.h"
#include "base/XmlReader.h"

#include <cstring>

#include <fast_atof.h>

namespace orv {

namespace {

bool isXmlSpace(char c)
{
	return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

//! An entity as Irrlicht knows it: the text after '&', and what it stands for.
struct SEntity
{
	const char* name;
	size_t length;
	char character;
};

const SEntity ENTITIES[] = {{"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''}};

// "<![CDATA[": the reader steps over this many characters after the '<'
// blindly, whatever they are.
const size_t CDATA_OPENING_SKIP = 8;

const char UTF8_BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";

} // namespace

CXmlReader::CXmlReader(std::vector<char> text) : Text(std::move(text))
{
	const size_t markSize = sizeof(UTF8_BYTE_ORDER_MARK) - 1;
	if (Text.size() >= markSize && std::memcmp(Text.data(), UTF8_BYTE_ORDER_MARK, markSize) == 0)
	{
		SourceFormat = irr::io::ETF_UTF8;
		Position = markSize;
	}
	End = Text.size();
	Text.push_back('\0');
}

void CXmlReader::stop()
{
	Position = End;
	Stopped = true;
}

bool CXmlReader::skipTo(char c)
{
	const void* found = Position < End ? std::memchr(&Text[Position], c, End - Position) : nullptr;
	if (!found)
	{
		stop();
		return false;
	}
	Position = static_cast<size_t>(static_cast<const char*>(found) - Text.data());
	return true;
}

bool CXmlReader::read()
{
	if (Position >= End || Text[Position] == 0)
		return false;
	const size_t start = Position;
	while (Text[Position] != '<' && Text[Position] != 0)
		++Position;
	// Text after the last tag is no node.
	if (Text[Position] == 0)
		return false;
	if (Position > start && parseText(start, Position))
		return true;

	++Position;
	switch (Text[Position])
	{
	case '/':
		parseClosingTag();
		break;
	case '?':
		parseDeclaration();
		break;
	case '!':
		if (!parseCData())
			parseComment();
		break;
	default:
		parseOpeningTag();
		break;
	}
	// A construct that never closed ends the read without a node.
	return !Stopped;
}

bool CXmlReader::parseText(size_t start, size_t end)
{
	// Text of nothing but white space is no node.
	size_t i = start;
	while (i < end && isXmlSpace(Text[i]))
		++i;
	if (i == end)
		return false;
	NodeType = irr::io::EXN_TEXT;
	decode(start, end, NodeName);
	return true;
}

void CXmlReader::parseClosingTag()
{
	NodeType = irr::io::EXN_ELEMENT_END;
	EmptyElement = false;
	AttributeCount = 0;
	const size_t begin = ++Position;
	if (!skipTo('>'))
		return;
	NodeName.assign(&Text[begin], Position - begin);
	++Position;
}

void CXmlReader::parseDeclaration()
{
	// Name, attributes and the empty flag stay those of the node before.
	NodeType = irr::io::EXN_UNKNOWN;
	if (skipTo('>'))
		++Position;
}

bool CXmlReader::parseCData()
{
	if (Text[Position + 1] != '[')
		return false;
	NodeType = irr::io::EXN_CDATA;
	for (size_t skipped = 0; skipped < CDATA_OPENING_SKIP && Text[Position] != 0; ++skipped)
		++Position;
	if (Text[Position] == 0)
	{
		stop();
		return true;
	}
	const size_t begin = Position;
	for (; Text[Position] != 0; ++Position)
	{
		if (Text[Position] == '>' && Text[Position - 1] == ']' && Text[Position - 2] == ']')
		{
			// An end that overlaps the opening would be a negative length.
			if (Position - 2 < begin)
			{
				stop();
				return true;
			}
			NodeName.assign(&Text[begin], Position - 2 - begin);
			++Position;
			return true;
		}
	}
	stop();
	return true;
}

void CXmlReader::parseComment()
{
	NodeType = irr::io::EXN_COMMENT;
	const size_t begin = ++Position;
	// Angle brackets nest; the comment ends where they balance.
	int depth = 1;
	for (; depth > 0; ++Position)
	{
		if (Position >= End)
			return stop();
		if (Text[Position] == '>')
			--depth;
		else if (Text[Position] == '<')
			++depth;
	}
	// The two characters after "<!" and the two before the '>' are not its text.
	if (Position < begin + 5)
		return stop();
	NodeName.assign(&Text[begin + 2], Position - 3 - begin - 2);
}

void CXmlReader::parseOpeningTag()
{
	NodeType = irr::io::EXN_ELEMENT;
	EmptyElement = false;
	AttributeCount = 0;

	const size_t nameBegin = Position;
	while (Position < End && Text[Position] != '>' && !isXmlSpace(Text[Position]))
		++Position;
	size_t nameEnd = Position;

	while (Text[Position] != '>')
	{
		if (Position >= End)
			return stop();
		if (isXmlSpace(Text[Position]))
		{
			++Position;
			continue;
		}
		if (Text[Position] == '/')
		{
			// The character after the slash is stepped over unread.
			++Position;
			EmptyElement = true;
			break;
		}
		// An attribute's name runs to white space or '=', whatever it passes.
		const size_t attributeBegin = Position;
		while (Position < End && !isXmlSpace(Text[Position]) && Text[Position] != '=')
			++Position;
		if (Position >= End)
			return stop();
		const size_t attributeEnd = Position++;
		while (Text[Position] != '"' && Text[Position] != '\'' && Text[Position] != 0)
			++Position;
		if (Text[Position] == 0)
			return stop();
		const char quote = Text[Position++];
		const size_t valueBegin = Position;
		while (Text[Position] != quote && Text[Position] != 0)
			++Position;
		if (Text[Position] == 0)
			return stop();
		if (AttributeCount < MAX_XML_ATTRIBUTES)
		{
			if (AttributeCount == Attributes.size())
				Attributes.emplace_back();
			SAttribute& attribute = Attributes[AttributeCount++];
			attribute.name.assign(&Text[attributeBegin], attributeEnd - attributeBegin);
			decode(valueBegin, Position, attribute.value);
		}
		++Position;
	}

	if (nameEnd > nameBegin && Text[nameEnd - 1] == '/')
	{
		EmptyElement = true;
		--nameEnd;
	}
	NodeName.assign(&Text[nameBegin], nameEnd - nameBegin);
	if (Position < End)
		++Position;
}

void CXmlReader::decode(size_t begin, size_t end, std::string& out) const
{
	const char* text = &Text[begin];
	const size_t size = end - begin;
	const char* amp = static_cast<const char*>(std::memchr(text, '&', size));
	if (!amp)
	{
		out.assign(text, size);
		return;
	}
	// Irrlicht's rules to the letter: an '&' in the last two characters is
	// kept as it is, and so is one that starts no entity; the one character
	// that may follow the last entity at the very end is dropped.
	// Decoded, the text is never longer: one block holds it as it grows.
	out.clear();
	out.reserve(size);
	size_t pos = static_cast<size_t>(amp - text);
	size_t kept = 0;
	while (amp && pos + 2 < size)
	{
		const SEntity* entity = nullptr;
		for (const SEntity& candidate : ENTITIES)
			if (size - pos - 1 >= candidate.length &&
				std::memcmp(text + pos + 1, candidate.name, candidate.length) == 0)
			{
				entity = &candidate;
				break;
			}
		if (entity)
		{
			out.append(text + kept, pos - kept);
			out += entity->character;
			pos += entity->length + 1;
		}
		else
		{
			out.append(text + kept, pos - kept + 1);
			pos += 1;
		}
		kept = pos;
		amp = pos < size ? static_cast<const char*>(std::memchr(text + pos, '&', size - pos)) : nullptr;
		if (amp)
			pos = static_cast<size_t>(amp - text);
	}
	if (kept + 1 < size)
		out.append(text + kept, size - kept);
}

const CXmlReader::SAttribute* CXmlReader::findAttribute(const char* name) const
{
	if (!name)
		return nullptr;
	for (size_t i = 0; i < AttributeCount; ++i)
		if (std::strcmp(Attributes[i].name.c_str(), name) == 0)
			return &Attributes[i];
	return nullptr;
}

const char* CXmlReader::getAttributeName(int index) const
{
	return static_cast<unsigned int>(index) < AttributeCount ? Attributes[index].name.c_str() : nullptr;
}

const char* CXmlReader::getAttributeValue(int index) const
{
	return static_cast<unsigned int>(index) < AttributeCount ? Attributes[index].value.c_str() : nullptr;
}

const char* CXmlReader::getAttributeValue(const char* name) const
{
	const SAttribute* attribute = findAttribute(name);
	return attribute ? attribute->value.c_str() : nullptr;
}

const char* CXmlReader::getAttributeValueSafe(const char* name) const
{
	const SAttribute* attribute = findAttribute(name);
	return attribute ? attribute->value.c_str() : "";
}

int CXmlReader::getAttributeValueAsInt(const char* name) const
{
	const char* value = getAttributeValue(name);
	return value ? irr::core::strtol10(value) : 0;
}

int CXmlReader::getAttributeValueAsInt(int index) const
{
	const char* value = getAttributeValue(index);
	return value ? irr::core::strtol10(value) : 0;
}

float CXmlReader::getAttributeValueAsFloat(const char* name) const
{
	const char* value = getAttributeValue(name);
	return value ? irr::core::fast_atof(value) : 0.0f;
}

float CXmlReader::getAttributeValueAsFloat(int index) const
{
	const char* value = getAttributeValue(index);
	return value ? irr::core::fast_atof(value) : 0.0f;
}

} // namespace orv
