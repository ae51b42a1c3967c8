#pragma once

// Every XML file the client reads (levels, string tables, package
// descriptions, class definitions) comes through here. Irrlicht's reader
// walks its buffer with scans that stop only at the character they look
// for, so a file cut short, or hostile, makes it read past its end; the text
// is cut before the first construct that would do so.

#include <cstddef>

#include <IXMLReader.h>
#include <path.h>

namespace irr {
namespace io {
class IFileSystem;
class IReadFile;
} // namespace io
} // namespace irr

namespace orv {

//! Files above this size are not read at all: no content file comes near it.
const size_t MAX_XML_FILE_SIZE = 256u * 1024u * 1024u;
//! Attributes of one element that are kept; later ones are read past
//! unkept. Each kept one costs two strings, some 20 times the five bytes of
//! the shortest, and every look-up walks them all; no content element has
//! more than some tens.
const size_t MAX_XML_ATTRIBUTES = 1024;

//! How many leading bytes of a UTF-8 XML text Irrlicht's reader can walk
//! without running past their end: the offset of the '<' that opens the first
//! construct that never closes (a tag without its '>', a comment, CDATA or
//! declaration without its end), or size when every construct closes. The
//! nodes before that '<' read exactly as they do in the whole text.
size_t readableXmlLength(const char* text, size_t size);

//! A reader over the file's readable part (see above); the caller drops it.
//! A file marked as UTF-16 or UTF-32 by its byte-order mark is read as UTF-8.
//! A cut or an unreadable file is logged as a warning on "xml" naming the
//! file; an unreadable or oversized file gives null.
irr::io::IXMLReaderUTF8* createXmlReader(irr::io::IFileSystem* fileSystem, irr::io::IReadFile* file);
//! The same for a file opened by name; null when it does not open.
irr::io::IXMLReaderUTF8* createXmlReader(irr::io::IFileSystem* fileSystem, const irr::io::path& fileName);

} // namespace orv
