#pragma once

#include <vector>

#include <ISceneNode.h>

namespace orv {

class C2DImageSceneNode;
class CAnimation;
class CSceneObject;

//! The scene node of an animated scene object: it plays a shared animation
//! and shows the sprites of the current frame and direction as image nodes.
//! A step to another frame or direction places the image nodes it has anew,
//! makes only those it lacks and removes only those left over.
/** Reference counted like every Irrlicht node. The sprite nodes are its
    only children, in placement order; the list below holds no reference of
    its own. Each object thus holds its playback state and one frame's
    sprites, not a copy of the whole animation. The placements it shows
    count against the bound of ShownSprites.h, the sprite nodes against
    that of AnimationMemory.h. */
class CAnimatedSpriteSceneNode : public irr::scene::ISceneNode
{
public:
	//! Irrlicht's node type of these nodes ('ospr').
	static const irr::scene::ESCENE_NODE_TYPE NODE_TYPE = static_cast<irr::scene::ESCENE_NODE_TYPE>(
		MAKE_IRR_ID('o', 's', 'p', 'r'));

	CAnimatedSpriteSceneNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* manager, irr::s32 id = -1,
		const irr::core::vector3df& position = irr::core::vector3df(0, 0, 0),
		const irr::core::vector3df& rotation = irr::core::vector3df(0, 0, 0),
		const irr::core::vector3df& scale = irr::core::vector3df(1, 1, 1));
	~CAnimatedSpriteSceneNode() override;

	void OnAnimate(irr::u32 timeMs) override;
	//! The sprite children draw themselves.
	void render() override {}
	const irr::core::aabbox3d<irr::f32>& getBoundingBox() const override { return Box; }
	irr::u32 getMaterialCount() const override { return 0; }
	irr::scene::ESCENE_NODE_TYPE getType() const override { return NODE_TYPE; }

	//! Not owned; held by the engine's animation cache.
	CAnimation* getAnimation() const { return Animation; }
	void setSceneObject(CSceneObject* object) { SceneObject = object; }
	CSceneObject* getSceneObject() const { return SceneObject; }

	bool isStopped() const { return Stopped; }
	void setStopped(bool stopped) { Stopped = stopped; }

	//! Back to frame 0, shown in the current direction, its time counted from now.
	void restartAnimation();
	//! Removes every sprite child and stops; nothing shows until an
	//! animation is applied again.
	void clearFrames();
	//! Shows the current frame in the new direction instead of the old one.
	void setDirection(irr::u32 direction);
	irr::u32 getDirection() const { return Direction; }
	irr::u32 getCurrentFrame() const { return CurrentFrame; }
	irr::u32 getNextFrameTime() const { return NextFrameTime; }
	//! The sprite nodes shown, in placement order; empty when nothing shows.
	const std::vector<C2DImageSceneNode*>& getShownSprites() const { return Shown; }
	//! The frame and direction the shown sprites are of.
	irr::u32 getShownFrame() const { return ShownFrame; }
	irr::u32 getShownDirection() const { return ShownDirection; }

private:
	friend class CAnimation;

	// Shows the sprites of that frame and direction instead of the present
	// ones, when the applied animation has them; else shows none.
	void show(irr::u32 frame, irr::u32 direction);
	void hide();
	// How many placements of the frame to show the bound of all shown
	// sprites lets this node look at, of the wanted ones; what the node held
	// for the frame before goes back first.
	size_t takePlacements(size_t wanted);
	// The shown sprite node of that index, made when the index is the next
	// past the shown ones; null when the bound of all animations refuses one
	// more.
	C2DImageSceneNode* spriteAt(size_t index);
	// Removes the shown sprite nodes from that index on.
	void keepSprites(size_t count);
	// The move to the next frame once the current one has lasted its time.
	void step(irr::u32 timeMs);
	void playFrameSounds(irr::u32 frame, irr::u32 timeMs);

	CAnimation* Animation = nullptr;
	// False after clearFrames, until the next apply: the animation stays
	// known but shows nothing.
	bool Applied = false;
	std::vector<C2DImageSceneNode*> Shown;
	irr::u32 ShownFrame = 0;
	irr::u32 ShownDirection = 0;
	// Taken from the bound of all shown sprites for the frame shown.
	size_t ShownPlacements = 0;
	bool Stopped = true;
	// Frame 0 was shown by a start or a restart and its sounds wait for the
	// node to play: a step plays the sounds of the frame it comes to, a start
	// comes to frame 0 without a step.
	bool FirstFrameSoundsDue = false;
	irr::core::aabbox3d<irr::f32> Box{-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
	irr::u32 NextFrameTime = 0;
	irr::u32 Direction = 0;
	irr::u32 CurrentFrame = 0;
	CSceneObject* SceneObject = nullptr;
};

} // namespace orv
