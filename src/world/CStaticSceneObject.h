#pragma once

#include "world/CSceneObject.h"

namespace orv {

//! A scene object drawn as an image; EP_IMAGE names the image file.
class CStaticSceneObject : public CSceneObject
{
public:
	CStaticSceneObject(irr::u32 id, CObjectClass* objectClass) : CSceneObject(id, objectClass) {}

	ESceneObjectType getType() const override { return ESOT_STATIC; }
	irr::core::ustring16 getImage() const override;
	//! Stores and marks EP_IMAGE when the name differs.
	void setImage(const irr::core::ustring16& name) override;
};

} // namespace orv
