#pragma once
// What scripts may put on screen. Each element and collection is a C++
// object beside its element of Irrlicht's GUI, which the scripts' memory does
// not see, and each text is held twice (ours and Irrlicht's wide copy) and
// laid out and drawn line by line every frame: a text of 4M characters cost
// 190 ms a frame. The bounds lie far beyond any game's screen.

#include <cstddef>

namespace orv::gui {

//! Image and text elements alive at once, whoever holds them.
const std::size_t GUI_MAX_ELEMENTS = 1024;
//! Collections alive at once.
const std::size_t GUI_MAX_COLLECTIONS = 1024;
//! Characters one text holds and shows; the rest of a longer one is cut.
const std::size_t GUI_MAX_TEXT = 4096;
//! Characters all texts hold together; a text past it keeps what fits.
const std::size_t GUI_MAX_TEXTS = 65536;

//! Elements and collections alive now.
std::size_t countGUIElements();
std::size_t countGUICollections();

//! What the wrappers count as they come and go.
void noteGUIElement(bool made);
void noteGUICollection(bool made);

//! Characters all texts hold now; each text adds and takes back its own.
std::size_t countGUITextCharacters();
void noteGUITextCharacters(std::size_t before, std::size_t after);

} // namespace orv::gui
