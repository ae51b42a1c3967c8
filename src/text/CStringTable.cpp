#include "text/CStringTable.h"

#include <cstring>

#include <IFileList.h>
#include <IFileSystem.h>
#include <IReadFile.h>

#include "base/XmlReader.h"

namespace irr {
namespace stringtable {

namespace {

// Points into the registry that holds it; never a reference of its own.
CStringTable* activeStringTable = 0;

const char* const TABLE_EXTENSION = ".irrst";

bool isNamed(io::IXMLReaderUTF8* reader, const char* name)
{
	const char* nodeName = reader->getNodeName();
	return nodeName && std::strcmp(nodeName, name) == 0;
}

bool isTextNode(io::IXMLReaderUTF8* reader)
{
	return reader->getNodeType() == io::EXN_TEXT || reader->getNodeType() == io::EXN_CDATA;
}

core::ustring16 nodeText(io::IXMLReaderUTF8* reader)
{
	return core::ustring16(reader->getNodeData());
}

// The text content of the element whose start the reader stands on: the last
// text node before its end tag.
core::ustring16 readElementText(io::IXMLReaderUTF8* reader, const char* elementName)
{
	core::ustring16 text;
	while (reader->read())
	{
		if (reader->getNodeType() == io::EXN_ELEMENT_END && isNamed(reader, elementName))
			break;
		if (isTextNode(reader))
			text = nodeText(reader);
	}
	return text;
}

bool isEntryElement(io::IXMLReaderUTF8* reader)
{
	return isNamed(reader, "entry") || isNamed(reader, "s");
}

// One entry, in its short form (an id attribute, the content is the text) or
// its long form (id and translation child elements).
void readEntry(io::IXMLReaderUTF8* reader, CStringTable* table)
{
	core::ustring16 id;
	core::ustring16 text;
	bool textIsNext = false;
	if (reader->getAttributeCount() > 0)
	{
		if (const char* value = reader->getAttributeValue("id"))
			id = value;
		textIsNext = true;
	}
	while (reader->read())
	{
		const io::EXML_NODE type = reader->getNodeType();
		if (type == io::EXN_ELEMENT_END && isEntryElement(reader))
			break;
		if (type == io::EXN_ELEMENT)
		{
			if (isNamed(reader, "id"))
				id = readElementText(reader, "id");
			else if (isNamed(reader, "translation"))
				text = readElementText(reader, "translation");
		}
		else if (isTextNode(reader) && textIsNext)
		{
			text = nodeText(reader);
			textIsNext = false;
		}
	}
	if (!id.empty())
		table->setEntry(id, text);
}

bool hasTableExtension(const io::path& name)
{
	const s32 dot = name.findLast('.');
	return dot >= 0 && name.subString(dot, name.size() - dot) == TABLE_EXTENSION;
}

} // namespace

CStringTable::CStringTable() : LanguageName("default"), PlaceholderOpener("{{%"), PlaceholderCloser("}}")
{
}

const core::ustring16* CStringTable::findEntry(const core::ustring16& id) const
{
	const auto found = Entries.find(id);
	return found == Entries.end() ? 0 : &found->second;
}

u32 CStringTable::loadDirectory(StringTableMap& tables, const io::path& folder, io::IFileSystem* fileSystem)
{
	if (!fileSystem)
		return 0;
	// Listing whatever folder we happen to be in would load foreign tables.
	const io::path previous = fileSystem->getWorkingDirectory();
	if (!fileSystem->changeWorkingDirectoryTo(folder))
		return 0;
	u32 count = 0;
	if (io::IFileList* files = fileSystem->createFileList())
	{
		for (u32 i = 0; i < files->getFileCount(); ++i)
		{
			if (files->isDirectory(i) || !hasTableExtension(files->getFileName(i)))
				continue;
			io::IReadFile* file = fileSystem->createAndOpenFile(files->getFullFileName(i));
			if (!file)
				continue;
			CStringTable* table = loadFile(fileSystem, file);
			file->drop();
			if (table)
			{
				registerTable(tables, table);
				++count;
			}
		}
		files->drop();
	}
	fileSystem->changeWorkingDirectoryTo(previous);
	return count;
}

CStringTable* CStringTable::loadFile(io::IFileSystem* fileSystem, io::IReadFile* file)
{
	if (!file)
		return 0;
	io::IXMLReaderUTF8* reader = orv::createXmlReader(fileSystem, file);
	if (!reader)
		return 0;
	CStringTable* table = new CStringTable();
	while (reader->read())
	{
		const io::EXML_NODE type = reader->getNodeType();
		if (type == io::EXN_ELEMENT)
		{
			if (isEntryElement(reader))
			{
				readEntry(reader, table);
			}
			else if (isNamed(reader, "language"))
			{
				if (const char* value = reader->getAttributeValue("value"))
					table->LanguageName = value;
			}
		}
		else if (type == io::EXN_ELEMENT_END && isNamed(reader, "irr_stringtable"))
		{
			break;
		}
	}
	reader->drop();
	return table;
}

bool CStringTable::registerTable(StringTableMap& tables, CStringTable* table)
{
	if (!table)
		return false;
	CStringTable*& slot = tables[table->LanguageName];
	if (!slot)
	{
		slot = table;
		return true;
	}
	// Only loading replaces tables; the current one must not be left dangling.
	if (activeStringTable == slot)
		activeStringTable = table;
	slot->drop();
	slot = table;
	return false;
}

void CStringTable::clearTables(StringTableMap& tables)
{
	for (auto& entry : tables)
	{
		if (!entry.second)
			continue;
		if (activeStringTable == entry.second)
			activeStringTable = 0;
		entry.second->drop();
	}
	tables.clear();
}

CStringTable* CStringTable::findTable(const StringTableMap& tables, const core::ustring16& language)
{
	const auto found = tables.find(language);
	return found == tables.end() ? 0 : found->second;
}

bool CStringTable::setActiveLanguage(const StringTableMap& tables, const core::ustring16& language)
{
	CStringTable* table = findTable(tables, language);
	if (!table)
		return false;
	activeStringTable = table;
	return true;
}

CStringTable* CStringTable::getActiveTable()
{
	return activeStringTable;
}

CTranslationFormatter CStringTable::translate(const core::ustring16& id)
{
	if (!activeStringTable)
		return CTranslationFormatter(id);
	return findTranslation(id);
}

CTranslationFormatter CStringTable::findTranslation(const core::ustring16& id)
{
	const core::ustring16* text = activeStringTable->findEntry(id);
	return CTranslationFormatter(text ? *text : id);
}

} // namespace stringtable
} // namespace irr
