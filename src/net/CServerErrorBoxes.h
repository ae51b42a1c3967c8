#pragma once
// The server's error texts on screen. A box sizes itself to its text, so a
// long text would push its OK button off the window and cost the line
// breaking of all of it: a box shows the head of the text, and only a few
// boxes stand at once, the oldest giving way to a new one.

#include "base/ustring16.h"

#include <IGUIElement.h>
#include <IGUIEnvironment.h>

#include <irrTypes.h>

#include <vector>

namespace orv {
namespace net {

class CServerErrorBoxes
{
public:
	//! Characters and lines of an error text shown: the box of the longest stays within an
	//! 800 x 600 window, its OK button too.
	static constexpr irr::u32 MaxShownCharacters = 1000;
	static constexpr irr::u32 MaxShownLines = 16;
	//! Error boxes on screen at once.
	static constexpr irr::u32 MaxBoxes = 4;
	//! UTF-8 bytes of a text that can hold the characters shown.
	static constexpr irr::u32 MaxReadBytes = 4 * MaxShownCharacters;

	CServerErrorBoxes() = default;
	~CServerErrorBoxes() { clear(); }
	CServerErrorBoxes(const CServerErrorBoxes&) = delete;
	CServerErrorBoxes& operator=(const CServerErrorBoxes&) = delete;

	//! The part of the text a box shows: its head, "..." behind it when something was cut (also
	//! when `more` says the text went on beyond what was read).
	static irr::core::ustring16 shownText(const irr::core::ustring16& text, bool more);

	//! A box captioned "Error" with the text and an OK button, not modal, at the root.
	void show(irr::gui::IGUIEnvironment* gui, const irr::core::ustring16& text);

	//! Boxes of this connection still on screen.
	irr::u32 getShownCount();

	//! Lets go of the boxes, which stay where they are. Before the GUI goes.
	void clear();

private:
	//! Forgets the boxes that left the screen (closed, or cleared with the GUI).
	void forgetClosed();

	std::vector<irr::gui::IGUIElement*> Boxes;
};

} // namespace net
} // namespace orv
