// What only one kind of scene object offers scripts: the image of a static
// object, the direction and animation of an animated one, the tileset and
// tiles of a tiled one.

#include "script/api/SceneObjectKindsAPI.h"

#include <cstring>

#include <angelscript.h>
#include <scriptarray.h>

#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CAnimation.h"
#include "scene/ISceneHost.h"
#include "script/api/SceneObjectTypes.h"
#include "world/CAnimatedSceneObject.h"
#include "world/CStaticSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/EngineAttributes.h"
#include "world/SAttribute.h"

namespace orv::script {

using namespace AngelScript;
using irr::core::ustring16;

namespace {

struct SMethodRow
{
	const char* declaration;
	asSFuncPtr function;
	asDWORD callConv;
};

void registerRows(asIScriptEngine* engine, const char* typeName, std::initializer_list<SMethodRow> rows)
{
	for (const SMethodRow& row : rows)
		engine->RegisterObjectMethod(typeName, row.declaration, row.function, row.callConv);
}

// The sprite node the host keeps for the object; null without one or
// when the object has a node of another class.
CAnimatedSpriteSceneNode* findSpriteNode(CSceneObject* object)
{
	ISceneHost* host = getSceneHost();
	if (!host)
		return nullptr;
	irr::scene::ISceneNode* node = host->findSceneNode(object);
	if (!node || node->getType() != CAnimatedSpriteSceneNode::NODE_TYPE)
		return nullptr;
	return static_cast<CAnimatedSpriteSceneNode*>(node);
}

irr::u32 getAnimatedDirection(const CAnimatedSceneObject* object)
{
	return static_cast<irr::u32>(object->getEngineAttribute(EP_DIRECTION)->getUInt());
}

void setAnimatedDirection(irr::u32 direction, CAnimatedSceneObject* object)
{
	SAttribute* attribute = object->getEngineAttribute(EP_DIRECTION);
	if (attribute->getUInt() == direction || object->getType() != ESOT_ANIMATED)
		return;
	attribute->setUInt(direction);
	object->markEngineAttributeChanged(EP_DIRECTION);
	if (CAnimatedSpriteSceneNode* node = findSpriteNode(object))
		node->setDirection(direction);
}

ustring16 getAnimatedAnimation(const CAnimatedSceneObject* object)
{
	return object->getEngineAttribute(EP_IMAGE)->getString();
}

bool setAnimation(const ustring16& name, CAnimatedSceneObject* object)
{
	if (name.empty() || object->getType() != ESOT_ANIMATED)
		return false;
	CAnimatedSpriteSceneNode* node = findSpriteNode(object);
	if (!node)
		return false;

	SAttribute* image = object->getEngineAttribute(EP_IMAGE);
	if (name == image->getString())
	{
		// Asking again for what plays starts it over, unless it never ends.
		CAnimation* current = node->getAnimation();
		if (current && !current->isContinuous())
		{
			node->restartAnimation();
			object->markEngineAttributeChanged(EP_IMAGE);
		}
		return true;
	}

	ISceneHost* host = getSceneHost();
	CAnimation* animation = host ? host->getAnimation(name) : nullptr;
	if (!animation || !animation->applyToNode(node, object))
		return false;
	node->setStopped(false);
	image->setString(name);
	object->markEngineAttributeChanged(EP_IMAGE);
	return true;
}

void setAnimatedAnimation(const ustring16& name, CAnimatedSceneObject* object)
{
	setAnimation(name, object);
}

ustring16 getTileset(const CTiledSceneObject* object)
{
	return object->getTileset();
}

void setTileset(const ustring16& tileset, CTiledSceneObject* object)
{
	object->setTileset(tileset);
	object->markEngineAttributeChanged(EP_IMAGE);
}

// Script sizes are signed, the object's unsigned; they move bit for bit.
irr::core::dimension2di getTilesetTileDimension(const CTiledSceneObject* object)
{
	return irr::core::dimension2di(
		static_cast<irr::s32>(object->getTileWidth()), static_cast<irr::s32>(object->getTileHeight()));
}

void setTilesetTileDimension(const irr::core::dimension2di& dimension, CTiledSceneObject* object)
{
	object->setTileSize(static_cast<irr::u32>(dimension.Width), static_cast<irr::u32>(dimension.Height));
	object->markEngineAttributeChanged(EP_IMAGE);
}

irr::core::dimension2di getTileDimension(const CTiledSceneObject* object)
{
	return irr::core::dimension2di(
		static_cast<irr::s32>(object->getColumns()), static_cast<irr::s32>(object->getRows()));
}

void setTileDimension(const irr::core::dimension2di& dimension, CTiledSceneObject* object)
{
	object->setMapSize(static_cast<irr::u32>(dimension.Width), static_cast<irr::u32>(dimension.Height));
	object->markEngineAttributeChanged(EP_IMAGE);
}

CScriptArray* getTiles(const CTiledSceneObject* object)
{
	asIScriptContext* context = asGetActiveContext();
	if (!context)
		return nullptr;
	asITypeInfo* type = context->GetEngine()->GetTypeInfoByDecl("array<uint8>");
	if (!type)
		return nullptr;
	const std::vector<irr::u8>& tiles = object->getTiles();
	CScriptArray* array = CScriptArray::Create(type, static_cast<asUINT>(tiles.size()));
	// Past the scripts' memory bound the array comes back short or not at all.
	if (array && !tiles.empty() && array->GetSize() == tiles.size())
		std::memcpy(array->GetBuffer(), tiles.data(), tiles.size());
	return array;
}

// The handle comes with a reference of its own to give back.
void setTiles(CScriptArray* tiles, CTiledSceneObject* object)
{
	if (!tiles)
		return;
	if (tiles->GetSize() > 0)
	{
		const irr::u8* bytes = static_cast<const irr::u8*>(tiles->GetBuffer());
		object->getTiles().assign(bytes, bytes + tiles->GetSize());
		object->markEngineAttributeChanged(EP_IMAGE);
	}
	tiles->Release();
}

} // namespace

void registerStaticSceneObjectAPI(asIScriptEngine* engine)
{
	registerSceneObjectBase<CStaticSceneObject>(engine, "StaticSceneObject");
	registerRows(engine, "StaticSceneObject",
		{
			{"string get_Image() const", asMETHOD(CSceneObject, getImage), asCALL_THISCALL},
			{"void set_Image(const string &in image)", asMETHOD(CSceneObject, setImage), asCALL_THISCALL},
		});
}

void registerAnimatedSceneObjectAPI(asIScriptEngine* engine)
{
	registerSceneObjectBase<CAnimatedSceneObject>(engine, "AnimatedSceneObject");
	registerRows(engine, "AnimatedSceneObject",
		{
			{"uint get_Direction() const", asFUNCTION(getAnimatedDirection), asCALL_CDECL_OBJLAST},
			{"void set_Direction(uint direction)", asFUNCTION(setAnimatedDirection), asCALL_CDECL_OBJLAST},
			{"string get_Animation() const", asFUNCTION(getAnimatedAnimation), asCALL_CDECL_OBJLAST},
			{"void set_Animation(const string &in animation)", asFUNCTION(setAnimatedAnimation), asCALL_CDECL_OBJLAST},
			{"bool set_animation(const string &in animation)", asFUNCTION(setAnimation), asCALL_CDECL_OBJLAST},
		});
}

void registerTiledSceneObjectAPI(asIScriptEngine* engine)
{
	registerSceneObjectBase<CTiledSceneObject>(engine, "TiledSceneObject");
	registerRows(engine, "TiledSceneObject",
		{
			{"string get_Tileset() const", asFUNCTION(getTileset), asCALL_CDECL_OBJLAST},
			{"void set_Tileset(const string &in tileset)", asFUNCTION(setTileset), asCALL_CDECL_OBJLAST},
			{"dimension2di get_Tileset_Tile_Dimension() const", asFUNCTION(getTilesetTileDimension),
				asCALL_CDECL_OBJLAST},
			{"void set_Tileset_Tile_Dimension(const dimension2di &in dimension)", asFUNCTION(setTilesetTileDimension),
				asCALL_CDECL_OBJLAST},
			{"dimension2di get_Tile_Dimension() const", asFUNCTION(getTileDimension), asCALL_CDECL_OBJLAST},
			{"void set_Tile_Dimension(const dimension2di &in dimension)", asFUNCTION(setTileDimension),
				asCALL_CDECL_OBJLAST},
			{"array<uint8>@ get_Tiles() const", asFUNCTION(getTiles), asCALL_CDECL_OBJLAST},
			{"void set_Tiles(array<uint8>@ tiles)", asFUNCTION(setTiles), asCALL_CDECL_OBJLAST},
		});
}

} // namespace orv::script
