#include "level/CLevelLoader.h"

#include <cstring>
#include <string>

#include <IrrlichtDevice.h>

#include "base/Refusal.h"
#include "base/XmlNodes.h"
#include "level/TextLevel.h"
#include "level/TileCode.h"
#include "scene/ContentPath.h"
#include "scene/picture/ImageSizeGuard.h"
#include "script/CScriptModule.h"
#include "world/AttributeXml.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/EngineAttributes.h"

using irr::s32;
using irr::u32;
using irr::core::ustring16;

namespace orv {

namespace {

//! Scripts larger than this are not read.
const size_t MAX_SCRIPT_FILE_SIZE = 16u << 20;
const char* const SCRIPT_SECTION = "main";

ESceneObjectType objectTypeOf(const char* text)
{
	if (std::strcmp(text, "static") == 0)
		return ESOT_STATIC;
	if (std::strcmp(text, "animated") == 0)
		return ESOT_ANIMATED;
	if (std::strcmp(text, "tiled") == 0)
		return ESOT_TILED;
	return ESOT_DEFAULT;
}

//! The engine attribute a property name addresses; -1 for any other name.
s32 propertyId(const char* name)
{
	static const struct
	{
		const char* name;
		s32 id;
	} properties[] = {{"x", EP_X}, {"y", EP_Y}, {"z", EP_Z}, {"direction", EP_DIRECTION}, {"image", EP_IMAGE}};
	for (const auto& property : properties)
		if (std::strcmp(name, property.name) == 0)
			return property.id;
	return -1;
}

bool isSpace(char c)
{
	return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string withoutSpaces(const char* text)
{
	std::string kept;
	kept.reserve(std::strlen(text));
	for (const char* p = text; *p; ++p)
		if (!isSpace(*p))
			kept += *p;
	return kept;
}

std::string trimmed(const char* text)
{
	const char* begin = text;
	const char* end = text + std::strlen(text);
	while (begin < end && isSpace(*begin))
		++begin;
	while (end > begin && isSpace(end[-1]))
		--end;
	return std::string(begin, end);
}

//! Holds the object for as long as the loader works on it: the scripts it
//! runs may remove it from the object manager.
class CHeldObject
{
public:
	explicit CHeldObject(CSceneObject* object) : Object(object) { Object->grab(); }
	~CHeldObject() { Object->drop(); }
	CHeldObject(const CHeldObject&) = delete;
	CHeldObject& operator=(const CHeldObject&) = delete;

private:
	CSceneObject* Object;
};

} // namespace

std::string CLevelLoader::placeOf(const CSceneObject& object) const
{
	const std::string file = Reading.empty() ? std::string() : Reading.back().name;
	return "Level " + file + ", object (" + std::to_string(object.getId()) + ")";
}

void CLevelLoader::warn(const CSceneObject& object, const std::string& message) const
{
	reportRefusal("level", placeOf(object) + ": " + message);
}

bool CLevelLoader::isSizeAccepted(const CSceneObject& object, const char* what, s32 width, s32 height, s32 largest,
	const char* unit, const char* ignored) const
{
	if (width > 0 && width <= largest && height > 0 && height <= largest)
		return true;
	warn(object,
		std::string("a ") + what + " size of " + std::to_string(width) + " x " + std::to_string(height) + " " + unit +
			" is refused (1 to " + std::to_string(largest) + "); the " + ignored + " is ignored.");
	return false;
}

void CLevelLoader::loadObject(Reader& reader)
{
	const u32 start = now();
	const std::string typeText = attributeText(reader, "type");
	const std::string classText = attributeText(reader, "class");
	const bool empty = reader.isEmptyElement();
	const ustring16 className(classText);

	CObjectManager* objects = CObjectManager::getInstance();
	CSceneObject* object = nullptr;
	if (objects)
	{
		if (!objects->findObjectClass(className))
		{
			// Made without scripts: the engine's callback binds it.
			CObjectClass* made = objects->getObjectClass(nullptr, className);
			if (made && onClassCreated)
				onClassCreated(made);
		}
		const u32 id = objects->getNextFreeId();
		if (id != 0)
			object = objects->createSceneObject(id, objectTypeOf(typeText.c_str()), className);
	}

	if (object)
	{
		CHeldObject held(object);
		// An object written as an empty element joins the scene like any other.
		const bool complete = empty || loadSceneObject(reader, *object);
		if (complete && onObjectLoaded)
			onObjectLoaded(object);
	}
	else
	{
		reportRefusal("level",
			"Level " + Reading.back().name + ": an object of class (" + classText +
				") could not be made; it is skipped.");
		if (!empty)
			while (reader.read() && !isElementEnd(reader, "object"))
			{
			}
	}

	log("level", "Loaded " + typeText + " object (" + classText + ") in " + std::to_string(now() - start) + "ms.",
		irr::ELL_INFORMATION);
}

bool CLevelLoader::loadSceneObject(Reader& reader, CSceneObject& object)
{
	CTiledSceneObject* tiled = object.getType() == ESOT_TILED ? static_cast<CTiledSceneObject*>(&object) : nullptr;
	while (reader.read())
	{
		if (isElementEnd(reader, "object"))
			return true;
		if (reader.getNodeType() != irr::io::EXN_ELEMENT)
			continue;
		const char* name = reader.getNodeName();
		if (std::strcmp(name, "property") == 0)
		{
			loadProperty(reader, object);
		}
		else if (std::strcmp(name, "attribute") == 0)
		{
			loadAttribute(reader, object);
		}
		else if (std::strcmp(name, "tileset") == 0)
		{
			if (tiled)
				loadTileset(reader, *tiled);
		}
		else if (std::strcmp(name, "tiledata") == 0)
		{
			if (!tiled)
				continue;
			if (reader.isEmptyElement())
				loadTextLevel(*tiled, device->getFileSystem(), ustring16(attributeText(reader, "file")));
			else
				loadTileData(reader, *tiled);
		}
		else if (std::strcmp(name, "script") == 0)
		{
			script::CScriptModule* module = object.getModule();
			if (reader.isEmptyElement())
				loadScriptFile(ustring16(attributeText(reader, "file")), module);
			else
				loadScript(reader, module);
			if (module)
				module->resolveCallbacks();
		}
		else if (std::strcmp(name, "collision") == 0)
		{
			const char* type = attributeText(reader, "type");
			EBodyType bodyType = EBT_STATIC;
			if (std::strcmp(type, "kinematic") == 0)
				bodyType = EBT_KINETIC;
			else if (std::strcmp(type, "dynamic") == 0)
				bodyType = EBT_DYNAMIC;
			object.Physics.setType(bodyType);
			if (!reader.isEmptyElement())
				loadCollision(reader, object);
		}
	}
	return false;
}

void CLevelLoader::loadProperty(Reader& reader, CSceneObject& object)
{
	const s32 id = propertyId(attributeText(reader, "name"));
	if (id < 0)
		return;
	if (SAttribute* attribute = object.getEngineAttribute(id))
		setValueFromXml(*attribute, reader);
	// Marked whatever the type: the first synchronisation then looks at it.
	object.markEngineAttributeChanged(id);
}

void CLevelLoader::loadAttribute(Reader& reader, CSceneObject& object)
{
	SAttribute* attribute = object.getClassAttributes().getOrAdd(ustring16(attributeText(reader, "name")), -1);
	if (!attribute)
		return;
	setValueFromXml(*attribute, reader);
	object.getChangedClassAttributes().insert(attribute->id);
}

void CLevelLoader::loadTileset(Reader& reader, CTiledSceneObject& object)
{
	const s32 width = reader.getAttributeValueAsInt("tile_w");
	const s32 height = reader.getAttributeValueAsInt("tile_h");
	if (!isSizeAccepted(object, "tile", width, height, MAX_TILE_PIXELS, "pixels", "tileset"))
		return;
	object.setTileSize(static_cast<u32>(width), static_cast<u32>(height));
	object.setTileset(ustring16(attributeText(reader, "file")));
}

void CLevelLoader::loadTileData(Reader& reader, CTiledSceneObject& object)
{
	const s32 width = reader.getAttributeValueAsInt("width");
	const s32 height = reader.getAttributeValueAsInt("height");
	if (!isSizeAccepted(object, "map", width, height, MAX_MAP_TILES, "tiles", "tile data"))
		return;
	bool warned = false;
	while (reader.read())
	{
		if (isElementEnd(reader, "tiledata"))
			return;
		const irr::io::EXML_NODE type = reader.getNodeType();
		if (type != irr::io::EXN_TEXT && type != irr::io::EXN_CDATA)
			continue;
		const std::string code = withoutSpaces(reader.getNodeData());
		// Code of another length leaves the map as it was.
		if (!isTileByteCountValid(code.size(), static_cast<u32>(width), static_cast<u32>(height)))
			return;
		std::vector<irr::u8>& tiles = object.getTiles();
		tiles.clear();
		tiles.reserve(code.size());
		const bool known = appendTileCode(code.data(), code.size() / 2, tiles);
		object.setMapSize(static_cast<u32>(width), static_cast<u32>(height));
		if (!known && !warned)
		{
			warn(object, "the tile data holds characters outside the tile code; they read as 0.");
			warned = true;
		}
	}
}

void CLevelLoader::loadScript(Reader& reader, script::CScriptModule* module)
{
	while (reader.read())
	{
		if (isElementEnd(reader, "script"))
			return;
		// Code as plain text is not taken: only CDATA keeps it as written.
		if (reader.getNodeType() == irr::io::EXN_CDATA && module)
			module->load(ustring16(trimmed(reader.getNodeData())), SCRIPT_SECTION, Reading.back().name);
	}
}

void CLevelLoader::loadScriptFile(const ustring16& path, script::CScriptModule* module)
{
	std::string code;
	if (!module || !readContentFile(device->getFileSystem(), path, code, MAX_SCRIPT_FILE_SIZE))
		return;
	module->load(ustring16(code), SCRIPT_SECTION, path.toUTF8_std());
}

} // namespace orv
