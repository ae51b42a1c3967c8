#pragma once
// The script-visible wrapper of one element of Irrlicht's GUI environment.
// Scripts, the GUI engine's list and collections share it by reference; the
// element leaves the screen when the last of them lets go.

#include <IReferenceCounted.h>
#include <vector2d.h>

namespace irr::gui {
class IGUIElement;
class IGUIEnvironment;
} // namespace irr::gui

namespace orv::gui {

//! The kinds of GUI element, as scripts number them; only EGT_STATICTEXT,
//! EGT_IMAGE and EGT_UNKNOWN are ever answered.
enum EGUIType
{
	EGT_WINDOW = 0,
	EGT_MESSAGE_BOX,
	EGT_STATICTEXT,
	EGT_IMAGE,
	EGT_BUTTON,
	EGT_EDIT_BOX,
	EGT_CHECK_BOX,
	EGT_COMBO_BOX,
	EGT_LIST_BOX,
	EGT_SPIN_BOX,
	EGT_SCROLLBAR,
	EGT_CONTEXT_MENU,
	EGT_UNKNOWN,
	EGT_COUNT
};

//! The GUI environment of the running application; null while none runs.
irr::gui::IGUIEnvironment* getGUIEnvironment();

class CGUIElement : public irr::IReferenceCounted
{
public:
	//! Counted among the elements alive (GUIBounds.h).
	CGUIElement();
	//! Takes the element off the screen.
	~CGUIElement() override;
	CGUIElement(const CGUIElement&) = delete;
	CGUIElement& operator=(const CGUIElement&) = delete;

	virtual EGUIType getType() const { return EGT_UNKNOWN; }
	//! The upper-left corner in screen pixels, as last set.
	virtual irr::core::vector2di getPosition() const { return Position; }
	//! Moves the element's upper-left corner there; its size stays.
	virtual void setPosition(const irr::core::vector2di& position);
	//! False without an element.
	virtual bool isVisible() const;
	virtual void setVisible(bool visible);

	//! Null until one is made.
	irr::gui::IGUIElement* getElement() const { return Element; }

protected:
	//! Shows this element in place of the one held before, which leaves the
	//! screen. The wrapper keeps a reference of its own: a GUI clear removes
	//! the element from the screen, never from under the wrapper.
	void replaceElement(irr::gui::IGUIElement* element);

	irr::core::vector2di Position;

private:
	irr::gui::IGUIElement* Element = nullptr;
};

} // namespace orv::gui
