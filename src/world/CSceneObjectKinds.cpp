#include <string>

#include "world/CAnimatedSceneObject.h"
#include "world/CStaticSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/EngineAttributes.h"
#include "world/WorldMemory.h"

using irr::core::ustring16;

namespace orv {

namespace {

// Static and animated objects keep their image (a file, or an animation
// name) in EP_IMAGE and mark it only when it changes.
ustring16 readImage(const CSceneObject& object)
{
	return object.getEngineAttribute(EP_IMAGE)->getString();
}

void writeImage(CSceneObject& object, const ustring16& name)
{
	SAttribute* image = object.getEngineAttribute(EP_IMAGE);
	if (image->getString() == name)
		return;
	image->setString(name);
	object.markEngineAttributeChanged(EP_IMAGE);
}

} // namespace

ustring16 CStaticSceneObject::getImage() const
{
	return readImage(*this);
}

void CStaticSceneObject::setImage(const ustring16& name)
{
	writeImage(*this, name);
}

ustring16 CAnimatedSceneObject::getImage() const
{
	return readImage(*this);
}

void CAnimatedSceneObject::setImage(const ustring16& name)
{
	writeImage(*this, name);
}

} // namespace orv

namespace orv {

bool CTiledSceneObject::setTiles(std::vector<irr::u8>&& tiles)
{
	if (tiles.size() > Tiles.size())
	{
		if (!takeWorldMemory(tiles.size() - Tiles.size()))
		{
			reportWorldMemoryFull(("the tiles of object (" + std::to_string(getId()) + ")").c_str());
			return false;
		}
	}
	else
	{
		giveWorldMemory(Tiles.size() - tiles.size());
	}
	Tiles.swap(tiles);
	// What the vector held before goes now, not with the object.
	std::vector<irr::u8>().swap(tiles);
	return true;
}

} // namespace orv
