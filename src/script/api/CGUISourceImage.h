#pragma once
// An image element that draws one rectangle of its texture: Irrlicht 1.8's
// own image element always draws the whole texture.

#include <IGUIImage.h>
#include <SColor.h>

namespace orv::gui {

class CGUISourceImage : public irr::gui::IGUIImage
{
public:
	//! The element's rectangle is the texture's size at the position.
	CGUISourceImage(irr::gui::IGUIEnvironment* environment, irr::gui::IGUIElement* parent, irr::s32 id,
		const irr::core::recti& rectangle);
	~CGUISourceImage() override;

	void setImage(irr::video::ITexture* image) override;
	irr::video::ITexture* getImage() const override { return Texture; }
	void setColor(irr::video::SColor color) override { Color = color; }
	irr::video::SColor getColor() const override { return Color; }
	void setScaleImage(bool scale) override { ScaleImage = scale; }
	bool isImageScaled() const override { return ScaleImage; }
	void setUseAlphaChannel(bool use) override { UseAlphaChannel = use; }
	bool isAlphaChannelUsed() const override { return UseAlphaChannel; }

	//! The part of the texture drawn, in texture pixels; an empty rectangle
	//! draws the whole texture.
	const irr::core::recti& getSourceRect() const { return SourceRect; }
	void setSourceRect(const irr::core::recti& rectangle) { SourceRect = rectangle; }
	//! What draw takes: the source rectangle within the texture (a script may
	//! name any rectangle), the whole texture for an empty one.
	irr::core::recti getDrawnRect() const;

	void draw() override;

private:
	irr::video::ITexture* Texture = nullptr;
	irr::core::recti SourceRect;
	irr::video::SColor Color{255, 255, 255, 255};
	bool ScaleImage = false;
	bool UseAlphaChannel = false;
};

} // namespace orv::gui
