#pragma once

#include <vector>

#include <ISceneNode.h>

namespace orv {

class CAnimation;
class CSceneObject;

//! The scene node of an animated scene object: one hidden image node per
//! placed sprite, for every frame and direction of its animation, of which it
//! shows those of the current frame and direction.
/** Reference counted like every Irrlicht node. The sprite nodes are its
    children; the lists below hold no reference of their own. */
class CAnimatedSpriteSceneNode : public irr::scene::ISceneNode
{
public:
	//! frames[frame][direction] lists that direction's sprite nodes in
	//! placement order.
	typedef std::vector<std::vector<std::vector<irr::scene::ISceneNode*>>> FrameNodes;

	//! Irrlicht's node type of these nodes ('ospr').
	static const irr::scene::ESCENE_NODE_TYPE NODE_TYPE =
		static_cast<irr::scene::ESCENE_NODE_TYPE>(MAKE_IRR_ID('o', 's', 'p', 'r'));

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
	//! Removes every sprite child and stops.
	void clearFrames();
	//! Hides the old direction in every frame and shows the current frame in the new one.
	void setDirection(irr::u32 direction);
	irr::u32 getDirection() const { return Direction; }
	irr::u32 getCurrentFrame() const { return CurrentFrame; }
	irr::u32 getNextFrameTime() const { return NextFrameTime; }
	const FrameNodes& getFrameNodes() const { return Frames; }

private:
	friend class CAnimation;

	void showSprites(irr::u32 frame, irr::u32 direction, bool visible);
	// The move to the next frame once the current one has lasted its time.
	void step(irr::u32 timeMs);
	void playFrameSounds(irr::u32 frame);

	CAnimation* Animation = nullptr;
	FrameNodes Frames;
	bool Stopped = true;
	irr::core::aabbox3d<irr::f32> Box{-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
	irr::u32 NextFrameTime = 0;
	irr::u32 Direction = 0;
	irr::u32 CurrentFrame = 0;
	CSceneObject* SceneObject = nullptr;
};

} // namespace orv
