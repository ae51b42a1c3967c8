#pragma once
// A script's image on screen: one of the engine's cached images, drawn from
// its first texture at the wrapper's position.

#include <rect.h>

#include "base/ustring16.h"
#include "script/api/CGUIElement.h"

namespace orv {
class CImage;
}

namespace orv::gui {

class CGUISourceImage;

class CGUIImage : public CGUIElement
{
public:
	EGUIType getType() const override { return EGT_IMAGE; }

	//! (0, 0, 0, 0) without an image element.
	virtual irr::core::recti getSourceRect() const;
	//! The part of the texture drawn; ignored without an image element.
	virtual void setSourceRect(const irr::core::recti& rectangle);
	//! The name of the image shown; empty without an image element.
	virtual irr::core::ustring16 getImage() const;
	//! Shows the engine's image of that name; when it cannot be had, or has no
	//! texture, whatever was shown stays.
	virtual void setImage(const irr::core::ustring16& name);

private:
	CGUISourceImage* getImageElement() const;

	// Kept by name: the image itself belongs to the engine's cache, which
	// may be gone before the wrapper. The last image asked for, and the one
	// shown, which stays when a later one cannot be shown.
	irr::core::ustring16 ImageName;
	bool HasImage = false;
	irr::core::ustring16 ShownName;
};

} // namespace orv::gui
