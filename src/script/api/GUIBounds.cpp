#include "script/api/GUIBounds.h"

namespace orv::gui {

namespace {

std::size_t elements = 0;
std::size_t collections = 0;
std::size_t textCharacters = 0;

} // namespace

std::size_t countGUIElements()
{
	return elements;
}

std::size_t countGUICollections()
{
	return collections;
}

void noteGUIElement(bool made)
{
	made ? ++elements : --elements;
}

void noteGUICollection(bool made)
{
	made ? ++collections : --collections;
}

std::size_t countGUITextCharacters()
{
	return textCharacters;
}

void noteGUITextCharacters(std::size_t before, std::size_t after)
{
	textCharacters = textCharacters - before + after;
}

} // namespace orv::gui
