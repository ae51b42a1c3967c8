#include "net/CServerErrorBoxes.h"

#include <IGUIWindow.h>

#include <algorithm>

namespace orv {
namespace net {

irr::core::ustring16 CServerErrorBoxes::shownText(const irr::core::ustring16& text, bool more)
{
	const std::u16string_view units = text.toUTF16_std();
	std::size_t end = 0;
	irr::u32 characters = 0;
	irr::u32 lines = 1;
	while (end < units.size() && characters < MaxShownCharacters)
	{
		const char16_t unit = units[end];
		// "\r\n" breaks one line, as the static text reads it.
		if (unit == u'\n' ? (end == 0 || units[end - 1] != u'\r') : unit == u'\r')
		{
			if (lines == MaxShownLines)
				break;
			++lines;
		}
		// A surrogate pair is one character.
		end += (unit >= 0xD800 && unit < 0xDC00 && end + 1 < units.size()) ? 2 : 1;
		++characters;
	}
	if (end == units.size() && !more)
		return text;
	irr::core::ustring16 shown(std::u16string(units.substr(0, end)));
	shown += irr::core::ustring16("...");
	return shown;
}

void CServerErrorBoxes::show(irr::gui::IGUIEnvironment* gui, const irr::core::ustring16& text)
{
	if (!gui)
		return;
	forgetClosed();
	while (Boxes.size() >= MaxBoxes)
	{
		Boxes.front()->remove();
		Boxes.front()->drop();
		Boxes.erase(Boxes.begin());
	}
	irr::gui::IGUIWindow* box = gui->addMessageBox(
		L"Error", text.toWCHAR_s().c_str(), false, irr::gui::EMBF_OK, nullptr, -1, nullptr);
	if (!box)
		return;
	box->grab();
	Boxes.push_back(box);
}

irr::u32 CServerErrorBoxes::getShownCount()
{
	forgetClosed();
	return static_cast<irr::u32>(Boxes.size());
}

void CServerErrorBoxes::clear()
{
	for (irr::gui::IGUIElement* box : Boxes)
		box->drop();
	Boxes.clear();
}

void CServerErrorBoxes::forgetClosed()
{
	const auto closed = std::stable_partition(
		Boxes.begin(), Boxes.end(), [](irr::gui::IGUIElement* box) { return box->getParent() != nullptr; });
	for (auto box = closed; box != Boxes.end(); ++box)
		(*box)->drop();
	Boxes.erase(closed, Boxes.end());
}

} // namespace net
} // namespace orv
