#include "script/api/CGUISourceImage.h"

#include <IGUIEnvironment.h>
#include <ITexture.h>
#include <IVideoDriver.h>

namespace orv::gui {

CGUISourceImage::CGUISourceImage(irr::gui::IGUIEnvironment* environment, irr::gui::IGUIElement* parent, irr::s32 id,
	const irr::core::recti& rectangle)
	: irr::gui::IGUIImage(environment, parent, id, rectangle)
{
}

CGUISourceImage::~CGUISourceImage()
{
	if (Texture)
		Texture->drop();
}

void CGUISourceImage::setImage(irr::video::ITexture* image)
{
	if (image)
		image->grab();
	if (Texture)
		Texture->drop();
	Texture = image;
}

irr::core::recti CGUISourceImage::getDrawnRect() const
{
	if (!Texture)
		return irr::core::recti();
	const irr::core::recti whole(irr::core::position2di(0, 0), irr::core::dimension2di(Texture->getOriginalSize()));
	if (SourceRect.getArea() == 0)
		return whole;
	irr::core::recti drawn(SourceRect);
	drawn.repair();
	drawn.clipAgainst(whole);
	return drawn;
}

void CGUISourceImage::draw()
{
	if (!IsVisible)
		return;
	const irr::core::recti source = getDrawnRect();
	if (Texture && source.getArea() > 0)
	{
		irr::video::IVideoDriver* driver = Environment->getVideoDriver();
		if (ScaleImage)
		{
			const irr::video::SColor colors[4] = {Color, Color, Color, Color};
			driver->draw2DImage(Texture, AbsoluteRect, source, &AbsoluteClippingRect, colors, UseAlphaChannel);
		}
		else
		{
			driver->draw2DImage(
				Texture, AbsoluteRect.UpperLeftCorner, source, &AbsoluteClippingRect, Color, UseAlphaChannel);
		}
	}
	IGUIElement::draw();
}

} // namespace orv::gui
