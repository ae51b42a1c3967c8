#pragma once

#include "world/CSceneObject.h"

namespace orv {

//! A scene object played from a .gani animation; EP_IMAGE names the animation.
class CAnimatedSceneObject : public CSceneObject
{
public:
	CAnimatedSceneObject(irr::u32 id, CObjectClass* objectClass) : CSceneObject(id, objectClass) {}

	ESceneObjectType getType() const override { return ESOT_ANIMATED; }
	irr::core::ustring16 getImage() const override;
	//! Stores and marks EP_IMAGE when the name differs.
	void setImage(const irr::core::ustring16& name) override;
};

} // namespace orv
