#include "script/api/CGUIStaticText.h"

#include <IGUIEnvironment.h>
#include <IGUIStaticText.h>

#include <algorithm>
#include <string>

#include "base/Refusal.h"
#include "script/api/GUIBounds.h"

namespace orv::gui {

namespace {

const irr::video::SColor OPAQUE_BLACK(0xFF000000);

// What a text keeps of the one asked for: GUI_MAX_TEXT characters, and what
// is left of GUI_MAX_TEXTS beside the other texts.
irr::core::ustring16 keptText(const irr::core::ustring16& text, std::size_t heldBefore)
{
	const std::size_t others = countGUITextCharacters() - heldBefore;
	const std::size_t room = std::min(GUI_MAX_TEXT, GUI_MAX_TEXTS - std::min(GUI_MAX_TEXTS, others));
	// A text of no more units than that has no more characters either.
	if (text.size_raw() <= room)
		return text;
	irr::core::ustring16 kept = text.subString(0, static_cast<irr::u32>(room));
	if (kept.size_raw() == text.size_raw())
		return text;
	if (room == GUI_MAX_TEXT)
		reportRefusalOnce("script", "script: GUI text",
			"A GUI text of more than " + std::to_string(GUI_MAX_TEXT) + " characters keeps its first " +
				std::to_string(GUI_MAX_TEXT) + ".");
	else
		reportRefusalOnce("script", "script: GUI texts",
			"GUI texts hold " + std::to_string(GUI_MAX_TEXTS) +
				" characters together, the most they may; a new text keeps what fits.");
	return kept;
}

} // namespace

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

CGUIStaticText::~CGUIStaticText()
{
	noteGUITextCharacters(HeldCharacters, 0);
}

void CGUIStaticText::setText(const irr::core::ustring16& text)
{
	Text = keptText(text, HeldCharacters);
	const std::size_t held = Text.size();
	noteGUITextCharacters(HeldCharacters, held);
	HeldCharacters = held;
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
