#pragma once
// A script's text on screen, in Irrlicht's static-text element.

#include <cstddef>

#include <EGUIElementTypes.h>
#include <IGUISkin.h>
#include <SColor.h>
#include <rect.h>

#include "base/ustring16.h"
#include "script/api/CGUIElement.h"

namespace irr::gui {
class IGUIStaticText;
}

namespace orv::gui {

class CGUIStaticText : public CGUIElement
{
public:
	//! Shows the text in the rectangle, opaque black.
	CGUIStaticText(const irr::core::ustring16& text, const irr::core::recti& rectangle);
	~CGUIStaticText() override;

	EGUIType getType() const override { return EGT_STATICTEXT; }

	//! What the text kept of the one last set (GUIBounds.h).
	virtual irr::core::ustring16 getText() const { return Text; }
	//! Makes the element on first use. A text past the bounds of GUIBounds.h
	//! keeps what fits, said once a game.
	virtual void setText(const irr::core::ustring16& text);
	//! Each getter answers its default without an element: black, black, false, false.
	virtual irr::video::SColor getColor() const;
	virtual void setColor(const irr::video::SColor& color);
	virtual irr::video::SColor getBackgroundColor() const;
	virtual void setBackgroundColor(const irr::video::SColor& color);
	virtual bool getBackground() const;
	virtual void setBackground(bool draw);
	virtual bool getBorder() const;
	virtual void setBorder(bool draw);
	virtual void setAlignment(irr::gui::EGUI_ALIGNMENT horizontal, irr::gui::EGUI_ALIGNMENT vertical);

private:
	irr::gui::IGUIStaticText* getTextElement() const;

	irr::core::ustring16 Text;
	std::size_t HeldCharacters = 0;
	irr::core::recti TextRect;
};

} // namespace orv::gui
