#include "scene/CAnimation.h"

#include "base/LeadingInteger.h"
#include "scene/C2DImageSceneNode.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CImage.h"
#include "scene/ISceneHost.h"
#include "world/CSceneObject.h"
#include "world/SAttribute.h"

namespace orv {

namespace {

// A placement's text is a number, or, on an object whose class attributes
// hold one of that name, that attribute's value read as a number.
irr::s32 placementNumber(const irr::core::ustring16& text, const CSceneObject* object)
{
	if (object)
		if (const SAttribute* attribute = object->getClassAttributes().findByName(text))
			return readLeadingInteger(attribute->getString());
	return readLeadingInteger(text);
}

// Sprite images of an object are chosen by its class: the attribute named
// like the sprite's image names the image to draw.
CImage* placementImage(const SAnimationSprite& sprite, const CSceneObject* object)
{
	ISceneHost* host = getSceneHost();
	if (!sprite.image || !host)
		return nullptr;
	if (!object)
		return host->findImage(sprite.image->getName());
	const SAttribute* attribute = object->getClassAttributes().findByName(sprite.image->getName());
	return attribute ? host->findImage(attribute->getString()) : nullptr;
}

} // namespace

bool CAnimation::applyToNode(CAnimatedSpriteSceneNode* node, CSceneObject* object)
{
	if (node->Animation == this)
	{
		if (Continuous)
			node->restartAnimation();
		return true;
	}

	node->setSceneObject(object);
	node->Animation = this;
	node->clearFrames();
	node->Applied = true;
	node->restartAnimation();
	return true;
}

void CAnimation::makeSprites(CAnimatedSpriteSceneNode& node, irr::u32 frame, irr::u32 direction) const
{
	CSceneObject* object = node.SceneObject;
	const std::vector<SSpritePlacement>& placements = Frames[frame].directions[direction];
	const size_t looked = node.takePlacements(placements.size());
	size_t shown = 0;
	for (size_t i = 0; i < looked; ++i)
	{
		const SSpritePlacement& placement = placements[i];
		auto sprite = Sprites.find(static_cast<irr::u32>(placementNumber(placement.sprite, object)));
		if (sprite == Sprites.end())
			continue;
		const irr::s32 x = placementNumber(placement.x, object);
		const irr::s32 y = placementNumber(placement.y, object);
		CImage* image = placementImage(sprite->second, object);
		if (!image)
			continue;
		C2DImageSceneNode* spriteNode = node.spriteAt(shown);
		if (!spriteNode)
			break;
		++shown;

		const irr::core::rect<irr::s32>& r = sprite->second.rect;
		// (24, 48) of the animation's coordinates is the node's origin; later
		// placements lie above earlier ones.
		const irr::f64 width = static_cast<irr::f64>(r.LowerRightCorner.X) - r.UpperLeftCorner.X;
		const irr::f64 height = static_cast<irr::f64>(r.LowerRightCorner.Y) - r.UpperLeftCorner.Y;
		spriteNode->setPosition(irr::core::vector3df(static_cast<irr::f32>(x + width * 0.5 - 24.0),
			static_cast<irr::f32>(y + height * 0.5 - 48.0), static_cast<irr::f32>(i)));
		spriteNode->setSourceRect(r.UpperLeftCorner.X, r.UpperLeftCorner.Y, r.LowerRightCorner.X, r.LowerRightCorner.Y);
		// Each rebuilds the pieces; a node kept from the last frame with the
		// same image and rectangle rebuilds nothing.
		if (spriteNode->getImage() != image)
			spriteNode->setImage(image);
		spriteNode->setSceneObject(object);
	}
	node.keepSprites(shown);
}

} // namespace orv
