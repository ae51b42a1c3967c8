#pragma once

// Levels: XML files with the root "orvlevel" that list scene objects with
// their attributes, tile maps, scripts and collision shapes. The loader reads
// a file in one flat pass and hands every finished object to the engine
// through its object-loaded callback.

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include <ILogger.h>
#include <IXMLReader.h>
#include <irrTypes.h>
#include <path.h>
#include <vector2d.h>

#include "base/ustring16.h"

class b2Shape;

namespace irr {
class IrrlichtDevice;
}

namespace orv {

class CSceneObject;
class CObjectClass;
class CTiledSceneObject;
namespace script {
class CScriptModule;
}

//! The level loader: a process singleton made on first use and freed only
//! by the program's teardown.
class CLevelLoader
{
public:
	typedef void (*ObjectLoadedCallback)(CSceneObject* object);
	typedef void (*ClassCreatedCallback)(CObjectClass* objectClass);

	//! Level files read inside one another at most: includes, and levels a
	//! script loads while another is read. Deeper ones are refused.
	static const irr::u32 MAX_NESTING = 16;
	//! Level files one load reads inside its first at most, repeats counted:
	//! a few files that each include the next several times would otherwise
	//! read billions. Further ones are refused with one warning.
	static const irr::u32 MAX_INCLUDED_LEVELS = 256;
	//! Bytes of level text one load reads, its first file and all it reads
	//! inside it: a small package of well-packed files read again and again
	//! would otherwise keep one load busy for an hour. Twice the text of the
	//! largest tile map; a file that would pass it is refused with one
	//! warning, and so are all after it.
	static const irr::u64 MAX_LEVEL_BYTES_PER_LOAD = 64ull << 20;
	//! Tile maps of more columns or rows are refused.
	static const irr::s32 MAX_MAP_TILES = 4096;
	//! Tiles wider or higher, in pixels, are refused.
	static const irr::s32 MAX_TILE_PIXELS = 1024;
	//! Names one load warns of at most (unknown elements, script files that
	//! could not be read), each once per file: a level of a million made-up
	//! element names would otherwise log a million lines.
	static constexpr irr::u32 MAX_NAMED_WARNINGS = 64;

	//! Both may be null: a loader made outside the engine's start-up has none.
	//! Called for each object at its end tag (after its children), to put it
	//! into the scene.
	ObjectLoadedCallback onObjectLoaded = nullptr;
	//! Called for each class a level names that did not exist; the class was
	//! made without scripts.
	ClassCreatedCallback onClassCreated = nullptr;
	//! Set by each load: its file system, timer and logger. Not owned.
	irr::IrrlichtDevice* device = nullptr;

	//! Reads the level file (a content path) and makes its objects, an
	//! "include" reading the named level at that point. A file that does not
	//! open, or one already being read, or one past MAX_NESTING or
	//! MAX_INCLUDED_LEVELS, makes nothing; a file that stops early keeps what it made.
	void loadLevel(irr::IrrlichtDevice* levelDevice, const irr::core::ustring16& path);

	//! The record, made on first use.
	static CLevelLoader* getInstance();
	//! The record when it exists; never makes one.
	static CLevelLoader* peekInstance();
	//! Frees the record; the pointer becomes null.
	static void destroyInstance();

private:
	typedef irr::io::IXMLReaderUTF8 Reader;

	//! A level file being read; each include stacks one more.
	struct SOpenLevel
	{
		irr::io::path fullPath; // resolved and absolute: what tells two files apart
		std::string name;       // as the level or the script wrote it, for messages
		// Unknown element names this file has had: found again without
		// making a string, as a file of a million of them would.
		std::set<std::string, std::less<>> unknownElements;
	};

	// The elements, each read from its start node up to its end tag. A
	// reader that runs out first ends them all.
	void loadSceneObjects(Reader& reader);
	void loadObject(Reader& reader);
	//! True when the object's end tag was reached.
	bool loadSceneObject(Reader& reader, CSceneObject& object);
	void loadProperty(Reader& reader, CSceneObject& object);
	void loadAttribute(Reader& reader, CSceneObject& object);
	void loadTileset(Reader& reader, CTiledSceneObject& object);
	void loadTileData(Reader& reader, CTiledSceneObject& object);
	void loadScript(Reader& reader, script::CScriptModule* module);
	void loadScriptFile(const CSceneObject& object, const irr::core::ustring16& path, script::CScriptModule* module);
	void loadCollision(Reader& reader, CSceneObject& object);
	void loadBlockingTiles(Reader& reader, CSceneObject& object);
	std::vector<irr::core::vector2df> loadPolygon(Reader& reader);
	void addFixture(CSceneObject& object, const b2Shape& shape) const;

	//! Both sizes from 1 to the largest; otherwise a warning that the element is ignored.
	bool isSizeAccepted(const CSceneObject& object, const char* what, irr::s32 width, irr::s32 height, irr::s32 largest,
		const char* unit, const char* ignored) const;

	void log(const char* channel, const std::string& message, irr::ELOG_LEVEL level) const;
	//! "Level x.xml, object (5)": the file being read and the object.
	std::string placeOf(const CSceneObject& object) const;
	//! A warning on "level" that names the file being read and the object.
	void warn(const CSceneObject& object, const std::string& message) const;
	//! True when the element is one of `known`; otherwise a warning that it
	//! is ignored, once per name and file in one load.
	bool isKnownElement(const char* name, std::initializer_list<const char*> known);
	//! The warning, unless this load gave its key already or named
	//! MAX_NAMED_WARNINGS things (which it says once).
	void warnOncePerLoad(const std::string& key, const std::string& line);
	irr::u32 now() const;

	std::vector<SOpenLevel> Reading;
	//! Of the load that began with an empty stack: files read inside it so
	//! far, and whether the bound has been reported.
	irr::u32 IncludedLevels = 0;
	bool IncludesRefused = false;
	irr::u64 LevelBytesRead = 0;
	bool BytesRefused = false;
	//! Of the same load: what warnOncePerLoad said, and whether it stopped.
	std::set<std::string> Warned;
	bool WarningsCut = false;
};

} // namespace orv
