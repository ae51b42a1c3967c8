#include "script/api/CGUIEngine.h"

#include <algorithm>

#include "script/api/CGUICollection.h"
#include "script/api/CGUIImage.h"
#include "script/api/CGUIStaticText.h"

namespace orv::gui {

CGUIEngine* CGUIEngine::getInstance()
{
	// Never destroyed: at process exit nothing may reach a GUI environment
	// that is already gone. The application clears it at its teardown.
	static CGUIEngine* const instance = new CGUIEngine();
	return instance;
}

CGUIEngine::~CGUIEngine()
{
	clear();
}

CGUICollection* CGUIEngine::createCollection()
{
	return new CGUICollection();
}

CGUIImage* CGUIEngine::createImage(const irr::core::ustring16& fileName, const irr::core::vector2di& position)
{
	CGUIImage* image = new CGUIImage();
	image->setPosition(position);
	image->setImage(fileName);
	image->grab();
	Elements.push_back(image);
	return image;
}

CGUIStaticText* CGUIEngine::createStaticText(const irr::core::ustring16& text, const irr::core::recti& rectangle)
{
	CGUIStaticText* staticText = new CGUIStaticText(text, rectangle);
	staticText->grab();
	Elements.push_back(staticText);
	return staticText;
}

bool CGUIEngine::removeElement(CGUIElement* element)
{
	auto found = std::find(Elements.begin(), Elements.end(), element);
	if (!element || found == Elements.end())
		return false;
	Elements.erase(found);
	element->drop();
	return true;
}

void CGUIEngine::clear()
{
	std::list<CGUIElement*> elements;
	elements.swap(Elements);
	for (CGUIElement* element : elements)
		element->drop();
}

} // namespace orv::gui
