#include "level/CLevelLoader.h"

#include <algorithm>
#include <new>
#include <string>

#include <IFileSystem.h>
#include <IReadFile.h>
#include <ITimer.h>
#include <IrrlichtDevice.h>

#include "base/Refusal.h"
#include "base/XmlReader.h"
#include "script/ScriptBuildGroup.h"
#include "base/XmlNodes.h"
#include "scene/ContentPath.h"

namespace orv {

namespace {

CLevelLoader* levelLoaderInstance = nullptr;

} // namespace

CLevelLoader* CLevelLoader::getInstance()
{
	if (!levelLoaderInstance)
		levelLoaderInstance = new (std::nothrow) CLevelLoader();
	return levelLoaderInstance;
}

CLevelLoader* CLevelLoader::peekInstance()
{
	return levelLoaderInstance;
}

void CLevelLoader::destroyInstance()
{
	delete levelLoaderInstance;
	levelLoaderInstance = nullptr;
}

void CLevelLoader::log(const char* channel, const std::string& message, irr::ELOG_LEVEL level) const
{
	if (device && device->getLogger())
		device->getLogger()->log(channel, message.c_str(), level);
}

irr::u32 CLevelLoader::now() const
{
	return device && device->getTimer() ? device->getTimer()->getRealTime() : 0;
}

void CLevelLoader::loadLevel(irr::IrrlichtDevice* levelDevice, const irr::core::ustring16& path)
{
	device = levelDevice;
	if (!device || !device->getFileSystem())
		return;
	const irr::u32 start = now();
	const std::string name = path.toUTF8_std();
	irr::io::IFileSystem* fileSystem = device->getFileSystem();

	const irr::io::path resolved = resolveContentPath(fileSystem, path);
	irr::io::path fullPath = fileSystem->getAbsolutePath(resolved);
	fileSystem->flattenFilename(fullPath);
	// A level that includes itself, or loads itself from a script while it
	// is read, would read on until the stack ran out.
	const bool beingRead = std::any_of(
		Reading.begin(), Reading.end(), [&](const SOpenLevel& open) { return open.fullPath == fullPath; });
	if (beingRead)
		return reportRefusal("level", "Level " + name + " is already being read; it is not read again inside itself.");
	if (Reading.size() >= MAX_NESTING)
		return reportRefusal("level",
			"Level " + name + " is not read: levels are read at most " + std::to_string(MAX_NESTING) +
				" inside one another.");
	if (Reading.empty())
	{
		IncludedLevels = 0;
		IncludesRefused = false;
		LevelBytesRead = 0;
		BytesRefused = false;
		Warned.clear();
		WarningsCut = false;
	}
	else if (IncludedLevels >= MAX_INCLUDED_LEVELS)
	{
		if (IncludesRefused)
			return;
		IncludesRefused = true;
		return reportRefusal("level",
			"Level " + name + " is not read: one level reads at most " + std::to_string(MAX_INCLUDED_LEVELS) +
				" others inside it.");
	}

	// Opening a packed file unpacks it whole: past the bound none is opened.
	if (BytesRefused)
		return;
	irr::io::IReadFile* file = fileSystem->createAndOpenFile(resolved);
	if (file)
	{
		const irr::u64 bytes = file->getSize() > 0 ? static_cast<irr::u64>(file->getSize()) : 0;
		if (bytes > MAX_LEVEL_BYTES_PER_LOAD - LevelBytesRead)
		{
			file->drop();
			BytesRefused = true;
			return reportRefusal("level",
				"Level " + name + " is not read: one level reads at most " +
					std::to_string(MAX_LEVEL_BYTES_PER_LOAD >> 20) + " MiB of level files, those inside it included.");
		}
		LevelBytesRead += bytes;
	}
	irr::io::IXMLReaderUTF8* reader = file ? createXmlReader(fileSystem, file) : nullptr;
	if (file)
		file->drop();
	if (!reader)
		return log("level", "Failed to open level for loading: " + name, irr::ELL_INFORMATION);

	if (!Reading.empty())
		++IncludedLevels;
	// The code this load builds, its includes' and the levels its scripts
	// load included, shares one budget.
	const script::CScriptBuildGroup builds;
	Reading.push_back({fullPath, name, {}});
	bool versionRefused = false;
	while (!versionRefused && reader->read())
	{
		if (reader->getNodeType() == irr::io::EXN_ELEMENT &&
			!isKnownElement(reader->getNodeName(), {"orvlevel", "sceneobjects", "include"}))
			continue;
		if (isElement(*reader, "orvlevel"))
		{
			versionRefused = reader->getAttributeValueAsInt("version") != 1;
		}
		else if (isElement(*reader, "sceneobjects"))
		{
			// An empty element has no end tag to stop at.
			if (!reader->isEmptyElement())
				loadSceneObjects(*reader);
		}
		else if (isElement(*reader, "include"))
		{
			const char* included = attributeText(*reader, "file");
			// Relative to the working directory, like every content path.
			if (included[0] != 0)
				loadLevel(device, irr::core::ustring16(included));
		}
	}
	Reading.pop_back();
	reader->drop();

	if (versionRefused)
		log("level", "Level " + name + " is of an unknown version.", irr::ELL_INFORMATION);
	else
		log("level", "Level " + name + " loaded in " + std::to_string(now() - start) + "ms.", irr::ELL_INFORMATION);
}

void CLevelLoader::loadSceneObjects(Reader& reader)
{
	while (reader.read())
	{
		if (reader.getNodeType() == irr::io::EXN_ELEMENT && !isKnownElement(reader.getNodeName(), {"object"}))
			continue;
		if (isElement(reader, "object"))
			loadObject(reader);
		else if (isElementEnd(reader, "sceneobjects"))
			return;
	}
}

} // namespace orv
