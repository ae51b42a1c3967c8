#pragma once
// A script's group of GUI elements, shown and hidden together.

#include <set>

#include <IReferenceCounted.h>

namespace orv::gui {

class CGUIElement;

class CGUICollection : public irr::IReferenceCounted
{
public:
	//! Counted among the collections alive (GUIBounds.h).
	CGUICollection();
	//! Lets go of every member.
	~CGUICollection() override;
	CGUICollection(const CGUICollection&) = delete;
	CGUICollection& operator=(const CGUICollection&) = delete;

	//! False for null or a member already present; a new member is held.
	bool addElement(CGUIElement* element);
	//! A member is let go of; anything else changes nothing.
	void removeElement(CGUIElement* element);
	//! Each member's visibility, in set order.
	void setVisibility(bool visible);

	const std::set<CGUIElement*>& getElements() const { return Elements; }

private:
	std::set<CGUIElement*> Elements;
};

} // namespace orv::gui
