#include "script/api/CGUIStaticText.h"

#include <IGUIEnvironment.h>
#include <IGUIStaticText.h>

namespace orv::gui {

namespace {
const irr::video::SColor OPAQUE_BLACK(0xFF000000);
}

CGUIStaticText::CGUIStaticText(const irr::core::ustring16& text, const irr::core::recti& rectangle)
	: TextRect(rectangle)
{
	Position = rectangle.UpperLeftCorner;
	setText(text);
	if (irr::gui::IGUIStaticText* element = getTextElement())
	{
		element->setOverrideColor(OPAQUE_BLACK);
		element->enableOverrideColor(true);
	}
}

irr::gui::IGUIStaticText* CGUIStaticText::getTextElement() const
{
	// Only this class makes the element, always of this kind.
	return static_cast<irr::gui::IGUIStaticText*>(getElement());
}

void CGUIStaticText::setText(const irr::core::ustring16& text)
{
	Text = text;
	if (irr::gui::IGUIStaticText* element = getTextElement())
	{
		element->setText(Text.toWCHAR_s().c_str());
		return;
	}
	irr::gui::IGUIEnvironment* environment = getGUIEnvironment();
	if (!environment)
		return;
	irr::gui::IGUIStaticText* element = environment->addStaticText(
		Text.toWCHAR_s().c_str(), TextRect, false, true, nullptr, -1, false);
	replaceElement(element);
}

irr::video::SColor CGUIStaticText::getColor() const
{
	const irr::gui::IGUIStaticText* element = getTextElement();
	return element ? element->getOverrideColor() : OPAQUE_BLACK;
}

void CGUIStaticText::setColor(const irr::video::SColor& color)
{
	if (irr::gui::IGUIStaticText* element = getTextElement())
	{
		element->setOverrideColor(color);
		element->enableOverrideColor(true);
	}
}

irr::video::SColor CGUIStaticText::getBackgroundColor() const
{
	const irr::gui::IGUIStaticText* element = getTextElement();
	return element ? element->getBackgroundColor() : OPAQUE_BLACK;
}

void CGUIStaticText::setBackgroundColor(const irr::video::SColor& color)
{
	if (irr::gui::IGUIStaticText* element = getTextElement())
		element->setBackgroundColor(color);
}

bool CGUIStaticText::getBackground() const
{
	const irr::gui::IGUIStaticText* element = getTextElement();
	return element && element->isDrawBackgroundEnabled();
}

void CGUIStaticText::setBackground(bool draw)
{
	if (irr::gui::IGUIStaticText* element = getTextElement())
		element->setDrawBackground(draw);
}

bool CGUIStaticText::getBorder() const
{
	const irr::gui::IGUIStaticText* element = getTextElement();
	return element && element->isDrawBorderEnabled();
}

void CGUIStaticText::setBorder(bool draw)
{
	if (irr::gui::IGUIStaticText* element = getTextElement())
		element->setDrawBorder(draw);
}

void CGUIStaticText::setAlignment(irr::gui::EGUI_ALIGNMENT horizontal, irr::gui::EGUI_ALIGNMENT vertical)
{
	if (irr::gui::IGUIStaticText* element = getTextElement())
		element->setTextAlignment(horizontal, vertical);
}

} // namespace orv::gui
