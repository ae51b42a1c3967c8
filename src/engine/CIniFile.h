#pragma once

#include <map>
#include <memory>
#include <vector>

#include <irrTypes.h>

#include "base/ustring16.h"

namespace irr {
namespace io {
class IFileSystem;
}
} // namespace irr

namespace orv {

class CFileBuffer;

//! One [section] of an ini file: keys with values, kept in the order the
//! keys were first set so the file is written back the way it was read, and
//! the player's comment lines where they stood among them.
class CIniSection
{
public:
	//! A line of the section as it is written: an entry (its key) or a
	//! comment kept as it was read.
	// The text's pointer stays pointer-aligned in an array of lines (the
	// string itself asks for 4 bytes only), where a leak checker finds it.
	struct alignas(void*) SLine
	{
		irr::core::ustring16 text;
		bool isComment;
	};

	explicit CIniSection(const irr::core::ustring16& name) : Name(name) {}

	const irr::core::ustring16& getName() const { return Name; }
	bool has(const irr::core::ustring16& key) const;
	//! Empty when the key is absent.
	irr::core::ustring16 get(const irr::core::ustring16& key) const;
	//! A new key goes last; a present key keeps its place.
	void set(const irr::core::ustring16& key, const irr::core::ustring16& value);
	//! The value's leading decimal integer (white space and a sign allowed,
	//! clamped to 32 bits); 0 when it does not begin with one.
	irr::s32 getNumber(const irr::core::ustring16& key) const;
	void setNumber(const irr::core::ustring16& key, irr::s32 number);

	//! Goes after the lines there are.
	void addComment(const irr::core::ustring16& line);

	//! Entries, in the order their keys were first set, and comments, in the
	//! order they are written.
	const std::vector<SLine>& getLines() const { return Lines; }

private:
	irr::core::ustring16 Name;
	std::map<irr::core::ustring16, irr::core::ustring16> Values;
	std::vector<SLine> Lines;
};

//! The settings file: sections by name, written back in the order they
//! were read, followed by the sections the program added. What the player
//! wrote that is no entry (comments, lines before the first section) is
//! written back where it stood.
class CIniFile
{
public:
	CIniFile() = default;
	CIniFile(const CIniFile&) = delete;
	CIniFile& operator=(const CIniFile&) = delete;

	//! Adds the sections of the buffer's whole content, whatever its read position.
	void parse(const CFileBuffer& buffer);
	//! Same, from text already decoded.
	void parseText(const irr::core::ustring16& text);

	//! The whole file as written: UTF-8 with its byte-order mark, CR LF
	//! line ends; empty when there is nothing to write.
	std::vector<irr::u8> compose() const;
	//! Writes the file through the file system. True when there was nothing
	//! to write or the file was written whole; false without a file system
	//! or when the save failed.
	bool write(const irr::core::ustring16& fileName, irr::io::IFileSystem* fileSystem) const;

	//! The section of that name, made (and later written) when absent.
	CIniSection* getSection(const irr::core::ustring16& name);
	//! The section of that name, or null.
	CIniSection* findSection(const irr::core::ustring16& name) const;

private:
	void enter(std::unique_ptr<CIniSection> section);

	// Every section ever made lives here; a name read twice leaves the earlier
	// section in the order (it is written) while the map finds the later.
	std::vector<std::unique_ptr<CIniSection>> Storage;
	std::map<irr::core::ustring16, CIniSection*> Sections;
	std::vector<CIniSection*> SectionOrder;
	std::vector<CIniSection*> CreatedOrder;
	// The lines before the first section, as they were read.
	std::vector<irr::core::ustring16> Preamble;
};

} // namespace orv
