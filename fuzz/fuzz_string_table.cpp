// The string-table reader under libFuzzer: the input is read as a ".irrst" file, registered, made
// the current table and asked for translations, then every table goes again, so no input finds a
// table an earlier one left.

#include "base/Log.h"
#include "text/CStringTable.h"

#include <irrlicht.h>

#include <cstdio>
#include <cstdlib>

namespace {

irr::IrrlichtDevice* device()
{
	static irr::IrrlichtDevice* instance = [] {
		irr::SIrrlichtCreationParameters params;
		params.DriverType = irr::video::EDT_NULL;
		params.LoggingLevel = irr::ELL_NONE;
		irr::IrrlichtDevice* made = irr::createDeviceEx(params);
		if (!made)
		{
			std::fprintf(stderr, "the null device does not start\n");
			std::abort();
		}
		// Files cut short are reported through the application's log.
		orv::setLogger(made->getLogger());
		return made;
	}();
	return instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const irr::u8* data, std::size_t size)
{
	using irr::stringtable::CStringTable;
	irr::io::IFileSystem* fileSystem = device()->getFileSystem();
	// The reader is handed the bytes as they are; the memory file neither copies nor frees them.
	irr::io::IReadFile* file = fileSystem->createMemoryReadFile(
		const_cast<irr::u8*>(data), static_cast<irr::s32>(size), "fuzzed.irrst", false);
	CStringTable* table = CStringTable::loadFile(fileSystem, file);
	if (file)
		file->drop();
	if (!table)
		return 0;

	irr::stringtable::StringTableMap tables;
	const irr::core::ustring16 language = table->getLanguageName();
	CStringTable::registerTable(tables, table);
	CStringTable::setActiveLanguage(tables, language);
	for (const char* id : {"Play", "Login", "Error", "Could not connect to the server!", ""})
	{
		irr::stringtable::CTranslationFormatter text = CStringTable::translate(id);
		// More pointers than the ring holds, so it wraps.
		for (irr::u32 i = 0; i <= irr::stringtable::CTranslationFormatter::RING_SIZE; ++i)
			if (!text.c_str())
				std::abort();
	}
	CStringTable::translate(language).c_str();
	CStringTable::clearTables(tables);
	if (CStringTable::getActiveTable())
		std::abort();
	return 0;
}
