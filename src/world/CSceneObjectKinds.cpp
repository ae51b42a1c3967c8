#include "world/CAnimatedSceneObject.h"
#include "world/CStaticSceneObject.h"
#include "world/EngineAttributes.h"

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
