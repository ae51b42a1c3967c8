#include "script/api/CGUIElement.h"

#include <IGUIElement.h>
#include <IrrlichtDevice.h>

#include "scene/ISceneHost.h"
#include "script/api/GUIBounds.h"

namespace orv::gui {

irr::gui::IGUIEnvironment* getGUIEnvironment()
{
	ISceneHost* host = getSceneHost();
	irr::IrrlichtDevice* device = host ? host->getDevice() : nullptr;
	return device ? device->getGUIEnvironment() : nullptr;
}

CGUIElement::CGUIElement()
{
	noteGUIElement(true);
}

CGUIElement::~CGUIElement()
{
	replaceElement(nullptr);
	noteGUIElement(false);
}

void CGUIElement::setPosition(const irr::core::vector2di& position)
{
	Position = position;
	if (!Element)
		return;
	const irr::core::recti& now = Element->getRelativePosition();
	Element->setRelativePosition(
		irr::core::recti(position.X, position.Y, position.X + now.getWidth(), position.Y + now.getHeight()));
}

bool CGUIElement::isVisible() const
{
	return Element && Element->isVisible();
}

void CGUIElement::setVisible(bool visible)
{
	if (Element)
		Element->setVisible(visible);
}

void CGUIElement::replaceElement(irr::gui::IGUIElement* element)
{
	if (element)
		element->grab();
	if (Element)
	{
		// Without a parent (a cleared GUI) this changes nothing.
		Element->remove();
		Element->drop();
	}
	Element = element;
}

} // namespace orv::gui
