#pragma once
// One language's translations of the client's own texts, read from a ".irrst"
// string-table file, and the lookup every GUI text passes through: its
// English wording is the id, and a missing translation shows the id itself.

#include <map>

#include <IReferenceCounted.h>
#include <irrTypes.h>
#include <path.h>

#include "base/ustring16.h"
#include "text/CTranslationFormatter.h"

namespace irr {
namespace io {
class IFileSystem;
class IReadFile;
} // namespace io

namespace stringtable {

class CStringTable;

//! Every loaded table by language name, ordered by UTF-16 code units (a name
//! before the longer names it begins). It holds the only reference to each
//! table; the engine owns it.
typedef std::map<core::ustring16, CStringTable*> StringTableMap;

class CStringTable : public virtual IReferenceCounted
{
public:
	//! An empty table of the language "default", with one reference.
	CStringTable();

	const core::ustring16& getLanguageName() const { return LanguageName; }
	const core::ustring16& getPlaceholderOpener() const { return PlaceholderOpener; }
	const core::ustring16& getPlaceholderCloser() const { return PlaceholderCloser; }
	//! The translation of an id, null when the table has none.
	const core::ustring16* findEntry(const core::ustring16& id) const;
	u32 getEntryCount() const { return static_cast<u32>(Entries.size()); }
	void setLanguageName(const core::ustring16& name) { LanguageName = name; }
	//! Sets the id's translation; a later text for one id replaces the earlier.
	void setEntry(const core::ustring16& id, const core::ustring16& text) { Entries[id] = text; }

	//! Loads every file of the folder whose name ends in ".irrst" (exactly)
	//! into the registry; a later file of one language replaces the earlier.
	//! Returns how many tables were read. A folder that cannot be entered
	//! loads nothing. A file cut short is reported as a refusal on "xml".
	static u32 loadDirectory(StringTableMap& tables, const io::path& folder, io::IFileSystem* fileSystem);
	//! A new table (one reference for the caller) from an opened file, null
	//! when there is no file or no reader. Whatever the file holds, even no
	//! XML at all, yields a table.
	static CStringTable* loadFile(io::IFileSystem* fileSystem, io::IReadFile* file);

	//! Adds a table to the registry, which takes over the caller's reference.
	//! True when the language is new; false for a null table or when it
	//! replaced (and dropped) a table of the same language.
	static bool registerTable(StringTableMap& tables, CStringTable* table);
	//! Drops every table and empties the registry; when the current table was
	//! one of them there is no current table afterwards.
	static void clearTables(StringTableMap& tables);

	//! The table of a language, null when the registry has none.
	static CStringTable* findTable(const StringTableMap& tables, const core::ustring16& language);
	//! Makes the registry's table of a language current. False, leaving the
	//! current table as it was, when the registry has no such language.
	static bool setActiveLanguage(const StringTableMap& tables, const core::ustring16& language);
	//! The current table, null when none has been chosen.
	static CStringTable* getActiveTable();

	//! The id's text in the current table, or the id itself when there is no
	//! current table or no entry.
	static CTranslationFormatter translate(const core::ustring16& id);

private:
	~CStringTable() override = default;

	static CTranslationFormatter findTranslation(const core::ustring16& id);

	core::ustring16 LanguageName;
	core::ustring16 PlaceholderOpener;
	core::ustring16 PlaceholderCloser;
	std::map<core::ustring16, core::ustring16> Entries;
};

} // namespace stringtable
} // namespace irr
