#include "script/api/CGUICollection.h"

#include "script/api/CGUIElement.h"
#include "script/api/GUIBounds.h"

namespace orv::gui {

CGUICollection::CGUICollection()
{
	noteGUICollection(true);
}

CGUICollection::~CGUICollection()
{
	for (CGUIElement* element : Elements)
		element->drop();
	noteGUICollection(false);
}

bool CGUICollection::addElement(CGUIElement* element)
{
	if (!element || !Elements.insert(element).second)
		return false;
	element->grab();
	return true;
}

void CGUICollection::removeElement(CGUIElement* element)
{
	if (Elements.erase(element) != 0)
		element->drop();
}

void CGUICollection::setVisibility(bool visible)
{
	for (CGUIElement* element : Elements)
		element->setVisible(visible);
}

} // namespace orv::gui
