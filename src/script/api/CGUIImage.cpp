#include "script/api/CGUIImage.h"

#include <IGUIEnvironment.h>
#include <ITexture.h>

#include "scene/CImage.h"
#include "scene/ISceneHost.h"
#include "script/api/CGUISourceImage.h"

namespace orv::gui {

CGUISourceImage* CGUIImage::getImageElement() const
{
	// Only this class makes the element, always of this kind.
	return static_cast<CGUISourceImage*>(getElement());
}

irr::core::recti CGUIImage::getSourceRect() const
{
	const CGUISourceImage* element = getImageElement();
	return element ? element->getSourceRect() : irr::core::recti(0, 0, 0, 0);
}

void CGUIImage::setSourceRect(const irr::core::recti& rectangle)
{
	if (CGUISourceImage* element = getImageElement())
		element->setSourceRect(rectangle);
}

irr::core::ustring16 CGUIImage::getImage() const
{
	return getImageElement() ? ShownName : irr::core::ustring16();
}

void CGUIImage::setImage(const irr::core::ustring16& name)
{
	if (HasImage && ImageName == name)
		return;
	ISceneHost* host = getSceneHost();
	CImage* image = host ? host->findImage(name) : nullptr;
	HasImage = image != nullptr;
	ImageName = name;
	irr::video::ITexture* texture = image ? image->getTexture(0) : nullptr;
	irr::gui::IGUIEnvironment* environment = getGUIEnvironment();
	if (!texture || !environment)
		return;

	const irr::core::recti rectangle(Position, irr::core::dimension2di(texture->getOriginalSize()));
	CGUISourceImage* element = new CGUISourceImage(environment, environment->getRootGUIElement(), -1, rectangle);
	element->setImage(texture);
	element->setUseAlphaChannel(true);
	replaceElement(element);
	ShownName = name;
	// The environment's root holds it now, besides the wrapper.
	element->drop();
}

} // namespace orv::gui
