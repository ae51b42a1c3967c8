#include "base/XmlReader.h"

#include <cstring>
#include <string>
#include <vector>

#include <IFileSystem.h>
#include <ILogger.h>
#include <IReadFile.h>

#include "base/Refusal.h"
#include "base/WholeFile.h"
#include "base/ustring16.h"

namespace orv {

namespace {

// The walk below follows Irrlicht 1.8's reader node by node. Its text and
// quote scans stop at a NUL; its tag, comment and declaration scans do not,
// so those must find their end inside the text. Index size is the NUL that
// ends the reader's copy; reading it is safe, reading beyond it is not.

bool isXmlSpace(char c)
{
	return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

//! What one node does to the walk: ends at a position, or never closes.
struct SNodeEnd
{
	bool closes;
	size_t end;
};

const SNodeEnd NEVER_CLOSES = {false, 0};

//! Index of the first c in [from, size), or size.
size_t findChar(const char* text, size_t size, size_t from, char c)
{
	if (from >= size)
		return size;
	const void* found = std::memchr(text + from, c, size - from);
	return found ? static_cast<const char*>(found) - text : size;
}

bool contains(const char* text, size_t size, size_t from, const char* what)
{
	const size_t n = std::strlen(what);
	for (size_t i = from; i + n <= size; ++i)
		if (std::memcmp(text + i, what, n) == 0)
			return true;
	return false;
}

// "</name>": the scan for '>' starts after the slash.
SNodeEnd closingTag(const char* text, size_t size, size_t lt)
{
	const size_t gt = findChar(text, size, lt + 2, '>');
	return gt < size ? SNodeEnd{true, gt + 1} : NEVER_CLOSES;
}

// "<?...>": the scan for '>' starts at the question mark.
SNodeEnd declaration(const char* text, size_t size, size_t lt)
{
	const size_t gt = findChar(text, size, lt + 1, '>');
	return gt < size ? SNodeEnd{true, gt + 1} : NEVER_CLOSES;
}

// "<![...]]>": eight characters are skipped blindly, then the first "]]>" ends
// the section. The reader takes the text between as a length, so an end that
// overlaps the skipped part would be a negative length.
SNodeEnd cdata(const char* text, size_t size, size_t lt)
{
	size_t i = lt + 1;
	for (int skipped = 0; skipped < 8 && i < size && text[i] != 0; ++skipped)
		++i;
	const size_t begin = i;
	for (; i < size && text[i] != 0; ++i)
		if (text[i] == '>' && text[i - 1] == ']' && text[i - 2] == ']')
			return i - 2 >= begin ? SNodeEnd{true, i + 1} : NEVER_CLOSES;
	return NEVER_CLOSES;
}

// "<!...>" other than CDATA: angle brackets nest until the count returns to
// zero, and the comment text is taken as a length that must not be negative.
SNodeEnd comment(const char* text, size_t size, size_t lt)
{
	const bool dashed = lt + 3 < size && text[lt + 2] == '-' && text[lt + 3] == '-';
	if (dashed && !contains(text, size, lt + 4, "-->"))
		return NEVER_CLOSES;
	int depth = 1;
	for (size_t i = lt + 2; i < size; ++i)
	{
		if (text[i] == '>')
			--depth;
		else if (text[i] == '<')
			++depth;
		if (depth == 0)
			return i >= lt + 6 ? SNodeEnd{true, i + 1} : NEVER_CLOSES;
	}
	return NEVER_CLOSES;
}

// "<name attr="value" ...>" or ".../>". An attribute name runs to a space or
// '=' whatever else it passes, '>' included; a missing quote ends the whole
// read there, which counts as a tag that never closes.
SNodeEnd openingTag(const char* text, size_t size, size_t lt)
{
	size_t i = lt + 1;
	while (i < size && text[i] != '>' && !isXmlSpace(text[i]))
		++i;
	for (;;)
	{
		if (i >= size)
			return NEVER_CLOSES;
		const char c = text[i];
		if (c == '>')
			return {true, i + 1};
		if (isXmlSpace(c))
		{
			++i;
			continue;
		}
		if (c == '/')
		{
			// The reader steps over the character after the slash unread.
			return i + 1 < size ? SNodeEnd{true, i + 2} : NEVER_CLOSES;
		}
		while (i < size && !isXmlSpace(text[i]) && text[i] != '=')
			++i;
		if (i >= size)
			return NEVER_CLOSES;
		++i;
		while (i < size && text[i] != '"' && text[i] != '\'' && text[i] != 0)
			++i;
		if (i >= size || text[i] == 0)
			return NEVER_CLOSES;
		const char quote = text[i++];
		while (i < size && text[i] != quote && text[i] != 0)
			++i;
		if (i >= size || text[i] == 0)
			return NEVER_CLOSES;
		++i;
	}
}

SNodeEnd markupAt(const char* text, size_t size, size_t lt)
{
	const char next = lt + 1 < size ? text[lt + 1] : 0;
	if (next == '/')
		return closingTag(text, size, lt);
	if (next == '?')
		return declaration(text, size, lt);
	if (next == '!')
	{
		const char third = lt + 2 < size ? text[lt + 2] : 0;
		return third == '[' ? cdata(text, size, lt) : comment(text, size, lt);
	}
	return openingTag(text, size, lt);
}

void refuseXml(const irr::io::path& fileName, const char* message)
{
	orv::reportRefusal("xml", std::string(fileName.c_str()) + ": " + message);
}

bool hasWideByteOrderMark(const std::vector<char>& bytes)
{
	if (bytes.size() < 2)
		return false;
	const unsigned char b0 = bytes[0], b1 = bytes[1];
	if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF))
		return true;
	return bytes.size() >= 4 && b0 == 0 && b1 == 0 && static_cast<unsigned char>(bytes[2]) == 0xFE &&
		static_cast<unsigned char>(bytes[3]) == 0xFF;
}

} // namespace

size_t readableXmlLength(const char* text, size_t size)
{
	size_t pos = 0;
	while (pos < size && text[pos] != 0)
	{
		size_t lt = pos;
		while (lt < size && text[lt] != '<' && text[lt] != 0)
			++lt;
		if (lt >= size || text[lt] == 0)
			return size; // text to the end, or an embedded NUL ends the read
		const SNodeEnd node = markupAt(text, size, lt);
		if (!node.closes)
			return lt;
		pos = node.end;
	}
	return size;
}

irr::io::IXMLReaderUTF8* createXmlReader(irr::io::IFileSystem* fileSystem, irr::io::IReadFile* file)
{
	if (!fileSystem || !file)
		return nullptr;
	const irr::io::path& fileName = file->getFileName();
	std::vector<char> bytes;
	const EWholeFileRead read = readWholeFile(file, MAX_XML_FILE_SIZE, bytes);
	if (read == EWFR_REFUSED)
	{
		refuseXml(fileName, "file too large to read as XML");
		return nullptr;
	}
	if (read == EWFR_SHORT)
	{
		refuseXml(fileName, "could not be read");
		return nullptr;
	}
	if (hasWideByteOrderMark(bytes))
	{
		irr::core::ustring16 wide;
		wide.loadDataStream(bytes.data(), bytes.size());
		const std::string utf8 = wide.toUTF8_std();
		bytes.assign(utf8.begin(), utf8.end());
	}
	const size_t readable = readableXmlLength(bytes.data(), bytes.size());
	if (readable < bytes.size())
	{
		refuseXml(fileName, "read up to a construct that never closes");
		bytes.resize(readable);
	}
	// Irrlicht's reader copies the text when it is made, so the memory file
	// may borrow the bytes for that long only.
	irr::io::IReadFile* memory = fileSystem->createMemoryReadFile(
		bytes.data(), static_cast<irr::s32>(bytes.size()), fileName, false);
	if (!memory)
		return nullptr;
	irr::io::IXMLReaderUTF8* reader = fileSystem->createXMLReaderUTF8(memory);
	memory->drop();
	return reader;
}

irr::io::IXMLReaderUTF8* createXmlReader(irr::io::IFileSystem* fileSystem, const irr::io::path& fileName)
{
	if (!fileSystem)
		return nullptr;
	irr::io::IReadFile* file = fileSystem->createAndOpenFile(fileName);
	if (!file)
		return nullptr;
	irr::io::IXMLReaderUTF8* reader = createXmlReader(fileSystem, file);
	file->drop();
	return reader;
}

} // namespace orv
