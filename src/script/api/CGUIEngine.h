#pragma once
// The factory behind the script global "GUI": makes the images and texts
// scripts put on screen and keeps them there until a script removes them.

#include <list>

#include <rect.h>
#include <vector2d.h>

#include "base/ustring16.h"

namespace orv::gui {

class CGUICollection;
class CGUIElement;
class CGUIImage;
class CGUIStaticText;

class CGUIEngine
{
public:
	//! The process's one instance, made on first use.
	static CGUIEngine* getInstance();

	CGUIEngine() = default;
	~CGUIEngine();
	CGUIEngine(const CGUIEngine&) = delete;
	CGUIEngine& operator=(const CGUIEngine&) = delete;

	//! Each returns a new object with one reference for the caller; images and
	//! texts are also kept in the list, which holds a reference of its own.
	CGUICollection* createCollection();
	CGUIImage* createImage(const irr::core::ustring16& fileName, const irr::core::vector2di& position);
	CGUIStaticText* createStaticText(const irr::core::ustring16& text, const irr::core::recti& rectangle);
	//! Lets go of the list's reference to the element; false for null or an
	//! element not in the list.
	bool removeElement(CGUIElement* element);

	//! The application's teardown: the list lets go of every element while
	//! the GUI environment they were shown in still exists.
	void clear();

	const std::list<CGUIElement*>& getElements() const { return Elements; }

private:
	std::list<CGUIElement*> Elements;
};

} // namespace orv::gui
